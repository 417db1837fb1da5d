#include "catalog_store.hpp"

#include "base/utf.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"

namespace velkor::service {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS packages(
  id INTEGER PRIMARY KEY,
  file_name TEXT NOT NULL UNIQUE,
  size INTEGER NOT NULL,
  modified INTEGER NOT NULL,
  sidecar_modified INTEGER NOT NULL,
  md5 TEXT NOT NULL,
  sha256 TEXT NOT NULL,
  is_install INTEGER NOT NULL,
  is_specific_case INTEGER NOT NULL,
  imported_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS drivers(
  id INTEGER PRIMARY KEY,
  package_id INTEGER NOT NULL REFERENCES packages(id) ON DELETE CASCADE,
  catalog_key TEXT NOT NULL UNIQUE,
  inf_path TEXT NOT NULL,
  driver_date TEXT NOT NULL,
  version TEXT NOT NULL,
  version_key TEXT NOT NULL,
  provider TEXT NOT NULL,
  class TEXT NOT NULL,
  catalog_file TEXT NOT NULL,
  signer TEXT NOT NULL,
  os_mask INTEGER NOT NULL,
  os_codes TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS drivers_by_package ON drivers(package_id);
CREATE TABLE IF NOT EXISTS driver_ids(
  hardware_id TEXT NOT NULL,
  listed_id TEXT NOT NULL,
  driver_id INTEGER NOT NULL REFERENCES drivers(id) ON DELETE CASCADE,
  os_mask INTEGER NOT NULL,
  os_rule TEXT NOT NULL,
  as_hardware_id INTEGER NOT NULL,
  driver_date TEXT NOT NULL,
  version_key TEXT NOT NULL);
-- The driver's date and version are repeated here so that a lookup walks one
-- index in offer order and stops at the first row that serves the system: a
-- generic ID that thousands of drivers list costs no more than a rare one.
CREATE INDEX IF NOT EXISTS driver_ids_by_offer
  ON driver_ids(hardware_id, driver_date DESC, version_key DESC, driver_id);
CREATE INDEX IF NOT EXISTS driver_ids_by_driver ON driver_ids(driver_id);
CREATE TABLE IF NOT EXISTS feedback(
  id INTEGER PRIMARY KEY,
  received_at TEXT NOT NULL,
  remote TEXT NOT NULL,
  osid TEXT NOT NULL,
  email TEXT NOT NULL,
  problem_type TEXT NOT NULL,
  content TEXT NOT NULL,
  document TEXT NOT NULL);
)sql";

// The layout above. Catalogs of an earlier layout lose their package rows (the
// next import brings them back from the packages folder); feedback is kept.
constexpr int kSchemaVersion = 2;

}  // namespace

bool CatalogStore::UpgradeSchema(sqlite3* db, std::string& error) {
  Statement version(db, "PRAGMA user_version");
  const std::int64_t found = version.Ok() && version.Step() == SQLITE_ROW ? version.Int(0) : 0;
  version = Statement();
  if (found > kSchemaVersion) {
    error = "the catalog was made by a newer velkor-service (layout " + std::to_string(found) + ")";
    return false;
  }
  if (found < kSchemaVersion &&
      !ExecuteSql(db, "DROP TABLE IF EXISTS driver_ids; DROP TABLE IF EXISTS drivers;"
                      " DROP TABLE IF EXISTS packages;", &error)) {
    return false;
  }
  if (!ExecuteSql(db, kSchema, &error)) return false;
  return found == kSchemaVersion ||
         ExecuteSql(db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(), &error);
}

std::unique_ptr<CatalogStore> CatalogStore::Open(const std::string& path, std::string& error) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  SqliteConnection db(raw);
  if (result != SQLITE_OK) {
    error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(result);
    return nullptr;
  }
  // Readers never wait for the importer (WAL); writers wait a while for each other.
  sqlite3_busy_timeout(db.get(), 10000);
  if (path != ":memory:" && !ExecuteSql(db.get(), "PRAGMA journal_mode=WAL;", &error)) return nullptr;
  // Lookups touch pages all over a large catalog: map the file instead of
  // copying each page into a small private cache.
  ExecuteSql(db.get(), "PRAGMA mmap_size=1073741824; PRAGMA cache_size=-16384;");
  if (!ExecuteSql(db.get(), "PRAGMA foreign_keys=ON;", &error) || !UpgradeSchema(db.get(), error)) {
    return nullptr;
  }
  std::unique_ptr<CatalogStore> store(new CatalogStore(std::move(db)));
  if (!store->Prepare(error)) return nullptr;
  return store;
}

bool CatalogStore::Prepare(std::string& error) {
  sqlite3* db = db_.get();
  struct Entry {
    Statement* statement;
    const char* sql;
  };
  const Entry entries[] = {
      {&findStamp_, "SELECT size, modified, sidecar_modified FROM packages WHERE file_name = ?1"},
      {&packageNames_, "SELECT file_name FROM packages ORDER BY file_name"},
      {&deletePackage_, "DELETE FROM packages WHERE file_name = ?1"},
      {&insertPackage_,
       "INSERT INTO packages(file_name, size, modified, sidecar_modified, md5, sha256, is_install,"
       " is_specific_case, imported_at) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"},
      {&insertDriver_,
       "INSERT INTO drivers(package_id, catalog_key, inf_path, driver_date, version, version_key,"
       " provider, class, catalog_file, signer, os_mask, os_codes)"
       " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)"},
      {&insertId_,
       "INSERT INTO driver_ids(hardware_id, listed_id, driver_id, os_mask, os_rule, as_hardware_id,"
       " driver_date, version_key) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
      {&walkCandidates_,
       "SELECT driver_id, listed_id, os_mask, os_rule, as_hardware_id FROM driver_ids"
       " WHERE hardware_id = ?1 AND driver_date > ?2 AND (?3 = 0 OR (os_mask & ?3) != 0)"
       " ORDER BY driver_date DESC, version_key DESC, driver_id ASC"},
      {&driverFields_,
       "SELECT d.catalog_key, d.driver_date, d.version, d.inf_path, d.signer, p.md5, p.is_install,"
       " p.is_specific_case FROM drivers d JOIN packages p ON p.id = d.package_id WHERE d.id = ?1"},
      {&findDriver_,
       "SELECT p.file_name, p.md5 FROM drivers d JOIN packages p ON p.id = d.package_id"
       " WHERE d.catalog_key = ?1"},
      {&hasPackage_, "SELECT 1 FROM packages WHERE file_name = ?1"},
      {&packageCount_, "SELECT COUNT(*) FROM packages"},
      {&idCount_, "SELECT COUNT(*) FROM driver_ids"},
      {&insertFeedback_,
       "INSERT INTO feedback(received_at, remote, osid, email, problem_type, content, document)"
       " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)"},
      {&listFeedback_,
       "SELECT received_at, remote, osid, email, problem_type, content, document FROM feedback"
       " ORDER BY id"},
  };
  for (const Entry& entry : entries) {
    *entry.statement = Statement(db, entry.sql);
    if (!entry.statement->Ok()) {
      error = sqlite3_errmsg(db);
      return false;
    }
  }
  return true;
}

std::optional<PackageStamp> CatalogStore::FindStamp(const std::string& fileName) {
  findStamp_.Reset();
  findStamp_.Bind(1, fileName);
  if (findStamp_.Step() != SQLITE_ROW) return std::nullopt;
  PackageStamp stamp{findStamp_.Int(0), findStamp_.Int(1), findStamp_.Int(2)};
  findStamp_.Reset();
  return stamp;
}

std::vector<std::string> CatalogStore::PackageNames() {
  std::vector<std::string> names;
  packageNames_.Reset();
  while (packageNames_.Step() == SQLITE_ROW) names.push_back(packageNames_.Text(0));
  packageNames_.Reset();
  return names;
}

bool CatalogStore::Begin() { return ExecuteSql(db_.get(), "BEGIN IMMEDIATE"); }
bool CatalogStore::Commit() { return ExecuteSql(db_.get(), "COMMIT"); }
void CatalogStore::Rollback() { ExecuteSql(db_.get(), "ROLLBACK"); }

bool CatalogStore::AddPackageRows(const CatalogPackage& package, std::int64_t importedAt) {
  deletePackage_.Reset();
  deletePackage_.Bind(1, package.fileName);
  if (!deletePackage_.Run()) return false;

  insertPackage_.Reset();
  insertPackage_.Bind(1, package.fileName);
  insertPackage_.Bind(2, package.size);
  insertPackage_.Bind(3, package.modified);
  insertPackage_.Bind(4, package.sidecarModified);
  insertPackage_.Bind(5, package.md5);
  insertPackage_.Bind(6, package.sha256);
  insertPackage_.Bind(7, std::int64_t{package.isInstall});
  insertPackage_.Bind(8, std::int64_t{package.isSpecificCase});
  insertPackage_.Bind(9, importedAt);
  if (!insertPackage_.Run()) return false;
  const std::int64_t packageId = sqlite3_last_insert_rowid(db_.get());

  for (const CatalogDriver& driver : package.drivers) {
    insertDriver_.Reset();
    insertDriver_.Bind(1, packageId);
    insertDriver_.Bind(2, driver.catalogKey);
    insertDriver_.Bind(3, driver.infPath);
    insertDriver_.Bind(4, driver.date);
    insertDriver_.Bind(5, driver.version);
    const std::string versionKey = VersionSortKey(FromUtf8(driver.version));
    insertDriver_.Bind(6, versionKey);
    insertDriver_.Bind(7, driver.provider);
    insertDriver_.Bind(8, driver.className);
    insertDriver_.Bind(9, driver.catalogFile);
    insertDriver_.Bind(10, driver.signer);
    insertDriver_.Bind(11, std::int64_t{driver.osMask});
    insertDriver_.Bind(12, OsCodesText(driver.osMask));
    if (!insertDriver_.Run()) return false;
    const std::int64_t driverId = sqlite3_last_insert_rowid(db_.get());
    for (const CatalogId& id : driver.ids) {
      insertId_.Reset();
      insertId_.Bind(1, id.key);
      insertId_.Bind(2, id.listed);
      insertId_.Bind(3, driverId);
      insertId_.Bind(4, std::int64_t{id.osMask});
      insertId_.Bind(5, id.rule);
      insertId_.Bind(6, std::int64_t{id.asHardwareId});
      insertId_.Bind(7, driver.date);
      insertId_.Bind(8, versionKey);
      if (!insertId_.Run()) return false;
    }
  }
  return true;
}

bool CatalogStore::StorePackage(const CatalogPackage& package, std::int64_t importedAt,
                                std::string& error) {
  if (!Begin()) {
    error = sqlite3_errmsg(db_.get());
    return false;
  }
  if (!AddPackageRows(package, importedAt)) {
    error = sqlite3_errmsg(db_.get());
    Rollback();
    return false;
  }
  if (!Commit()) {
    error = sqlite3_errmsg(db_.get());
    Rollback();
    return false;
  }
  return true;
}

bool CatalogStore::RemovePackage(const std::string& fileName) {
  deletePackage_.Reset();
  deletePackage_.Bind(1, fileName);
  return deletePackage_.Run();
}

bool CatalogStore::WalkCandidates(const std::string& id, const std::string& installedDate,
                                  std::uint32_t legacyMask, const CandidateVisitor& visit) {
  walkCandidates_.Reset();
  walkCandidates_.Bind(1, id);
  walkCandidates_.Bind(2, installedDate);
  walkCandidates_.Bind(3, std::int64_t{legacyMask});
  int step;
  while ((step = walkCandidates_.Step()) == SQLITE_ROW) {
    const std::string listed = walkCandidates_.Text(1);
    const std::string rule = walkCandidates_.Text(3);
    const OfferCandidate candidate{walkCandidates_.Int(0), listed,
                                   static_cast<std::uint32_t>(walkCandidates_.Int(2)), rule,
                                   walkCandidates_.Int(4) != 0};
    if (!visit(candidate)) {
      step = SQLITE_DONE;
      break;
    }
  }
  walkCandidates_.Reset();
  return step == SQLITE_DONE;
}

std::optional<OfferDriver> CatalogStore::DriverFields(std::int64_t driverId) {
  driverFields_.Reset();
  driverFields_.Bind(1, driverId);
  std::optional<OfferDriver> driver;
  if (driverFields_.Step() == SQLITE_ROW) {
    driver = OfferDriver{driverFields_.Text(0), driverFields_.Text(1), driverFields_.Text(2),
                         driverFields_.Text(3), driverFields_.Text(4), driverFields_.Text(5),
                         driverFields_.Int(6) != 0, driverFields_.Int(7) != 0};
  }
  driverFields_.Reset();
  return driver;
}

std::optional<PackageLocation> CatalogStore::FindDriver(const std::string& catalogKey) {
  findDriver_.Reset();
  findDriver_.Bind(1, catalogKey);
  std::optional<PackageLocation> location;
  if (findDriver_.Step() == SQLITE_ROW) location = PackageLocation{findDriver_.Text(0), findDriver_.Text(1)};
  findDriver_.Reset();
  return location;
}

bool CatalogStore::HasPackage(const std::string& fileName) {
  hasPackage_.Reset();
  hasPackage_.Bind(1, fileName);
  const bool found = hasPackage_.Step() == SQLITE_ROW;
  hasPackage_.Reset();
  return found;
}

std::int64_t CatalogStore::PackageCount() {
  packageCount_.Reset();
  const std::int64_t count = packageCount_.Step() == SQLITE_ROW ? packageCount_.Int(0) : 0;
  packageCount_.Reset();
  return count;
}

std::int64_t CatalogStore::IdCount() {
  idCount_.Reset();
  const std::int64_t count = idCount_.Step() == SQLITE_ROW ? idCount_.Int(0) : 0;
  idCount_.Reset();
  return count;
}

bool CatalogStore::StoreFeedback(const FeedbackReport& report) {
  insertFeedback_.Reset();
  insertFeedback_.Bind(1, report.receivedAt);
  insertFeedback_.Bind(2, report.remote);
  insertFeedback_.Bind(3, report.osid);
  insertFeedback_.Bind(4, report.email);
  insertFeedback_.Bind(5, report.problemType);
  insertFeedback_.Bind(6, report.content);
  insertFeedback_.Bind(7, report.document);
  return insertFeedback_.Run();
}

std::vector<FeedbackReport> CatalogStore::Feedback() {
  std::vector<FeedbackReport> reports;
  listFeedback_.Reset();
  while (listFeedback_.Step() == SQLITE_ROW) {
    reports.push_back(FeedbackReport{listFeedback_.Text(0), listFeedback_.Text(1),
                                     listFeedback_.Text(2), listFeedback_.Text(3),
                                     listFeedback_.Text(4), listFeedback_.Text(5),
                                     listFeedback_.Text(6)});
  }
  listFeedback_.Reset();
  return reports;
}

}  // namespace velkor::service
