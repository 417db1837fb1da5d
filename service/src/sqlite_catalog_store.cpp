#include "sqlite_catalog_store.hpp"

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
-- How many imports were published: serving nodes rebuild their index when it
-- changes.
CREATE TABLE IF NOT EXISTS catalog_state(
  id INTEGER PRIMARY KEY CHECK (id = 1),
  generation INTEGER NOT NULL);
INSERT OR IGNORE INTO catalog_state(id, generation) VALUES(1, 0);
)sql";

// The layout above. Catalogs of an earlier layout lose their package rows (the
// next import brings them back from the packages folder); feedback, kept in its
// own table (feedback_store.hpp), stays.
constexpr int kSchemaVersion = 3;

}  // namespace

bool SqliteCatalogStore::UpgradeSchema(sqlite3* db, std::string& error) {
  Statement version(db, "PRAGMA user_version");
  const std::int64_t found = version.Ok() && version.Step() == SQLITE_ROW ? version.Int(0) : 0;
  version = Statement();
  if (found > kSchemaVersion) {
    error = "the catalog was made by a newer velkor-service (layout " + std::to_string(found) + ")";
    return false;
  }
  if (found < kSchemaVersion &&
      !ExecuteSql(db, "DROP TABLE IF EXISTS driver_ids; DROP TABLE IF EXISTS drivers;"
                      " DROP TABLE IF EXISTS packages; DROP TABLE IF EXISTS catalog_state;", &error)) {
    return false;
  }
  if (!ExecuteSql(db, kSchema, &error)) return false;
  return found == kSchemaVersion ||
         ExecuteSql(db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(), &error);
}

SqliteConnection OpenServiceDatabase(const std::string& path, std::string& error) {
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
  if (!ExecuteSql(db.get(), "PRAGMA foreign_keys=ON;", &error)) return nullptr;
  return db;
}

std::unique_ptr<SqliteCatalogStore> SqliteCatalogStore::Open(const std::string& path, std::string& error) {
  SqliteConnection db = OpenServiceDatabase(path, error);
  if (!db || !UpgradeSchema(db.get(), error)) return nullptr;
  std::unique_ptr<SqliteCatalogStore> store(new SqliteCatalogStore(std::move(db)));
  if (!store->Prepare(error)) return nullptr;
  return store;
}

bool SqliteCatalogStore::Prepare(std::string& error) {
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
      {&generation_, "SELECT generation FROM catalog_state WHERE id = 1"},
      {&bumpGeneration_, "UPDATE catalog_state SET generation = generation + 1 WHERE id = 1"},
      {&snapshotDrivers_,
       "SELECT d.id, p.file_name, d.catalog_key, d.driver_date, d.version, d.inf_path, d.signer, p.md5,"
       " p.is_install, p.is_specific_case FROM drivers d JOIN packages p ON p.id = d.package_id"},
      {&snapshotIds_,
       "SELECT hardware_id, listed_id, driver_id, os_mask, os_rule, as_hardware_id, driver_date,"
       " version_key FROM driver_ids"},
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

std::optional<PackageStamp> SqliteCatalogStore::FindStamp(const std::string& fileName) {
  findStamp_.Reset();
  findStamp_.Bind(1, fileName);
  if (findStamp_.Step() != SQLITE_ROW) return std::nullopt;
  PackageStamp stamp{findStamp_.Int(0), findStamp_.Int(1), findStamp_.Int(2)};
  findStamp_.Reset();
  return stamp;
}

std::vector<std::string> SqliteCatalogStore::PackageNames() {
  std::vector<std::string> names;
  packageNames_.Reset();
  while (packageNames_.Step() == SQLITE_ROW) names.push_back(packageNames_.Text(0));
  packageNames_.Reset();
  return names;
}

bool SqliteCatalogStore::AddPackageRows(const CatalogPackage& package, std::int64_t importedAt) {
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

bool SqliteCatalogStore::StorePackages(const std::vector<CatalogPackage>& packages,
                                       std::int64_t importedAt, std::string& error) {
  if (!ExecuteSql(db_.get(), "BEGIN IMMEDIATE", &error)) return false;
  for (const CatalogPackage& package : packages) {
    if (!AddPackageRows(package, importedAt)) {
      error = sqlite3_errmsg(db_.get());
      ExecuteSql(db_.get(), "ROLLBACK");
      return false;
    }
  }
  if (!ExecuteSql(db_.get(), "COMMIT", &error)) {
    ExecuteSql(db_.get(), "ROLLBACK");
    return false;
  }
  return true;
}

bool SqliteCatalogStore::PublishGeneration(std::string& error) {
  bumpGeneration_.Reset();
  if (bumpGeneration_.Run()) return true;
  error = sqlite3_errmsg(db_.get());
  return false;
}

std::optional<std::int64_t> SqliteCatalogStore::Generation() {
  generation_.Reset();
  std::optional<std::int64_t> generation;
  if (generation_.Step() == SQLITE_ROW) generation = generation_.Int(0);
  generation_.Reset();
  return generation;
}

bool SqliteCatalogStore::ReadSnapshot(SnapshotSink& sink, std::int64_t& generation, std::string& error) {
  // One read transaction: the drivers, the IDs and the generation are of one
  // moment, whatever an import does meanwhile.
  if (!ExecuteSql(db_.get(), "BEGIN", &error)) return false;
  bool ok = false;
  const std::optional<std::int64_t> read = Generation();
  if (read) {
    generation = *read;
    snapshotDrivers_.Reset();
    int step;
    while ((step = snapshotDrivers_.Step()) == SQLITE_ROW) {
      const std::string packageFile = snapshotDrivers_.Text(1);
      sink.Driver(SnapshotDriver{snapshotDrivers_.Int(0), packageFile,
                                 OfferDriver{snapshotDrivers_.Text(2), snapshotDrivers_.Text(3),
                                             snapshotDrivers_.Text(4), snapshotDrivers_.Text(5),
                                             snapshotDrivers_.Text(6), snapshotDrivers_.Text(7),
                                             snapshotDrivers_.Int(8) != 0, snapshotDrivers_.Int(9) != 0}});
    }
    snapshotDrivers_.Reset();
    if (step == SQLITE_DONE) {
      snapshotIds_.Reset();
      while ((step = snapshotIds_.Step()) == SQLITE_ROW) {
        const std::string key = snapshotIds_.Text(0), listed = snapshotIds_.Text(1);
        const std::string rule = snapshotIds_.Text(4), date = snapshotIds_.Text(6);
        const std::string versionKey = snapshotIds_.Text(7);
        sink.Id(SnapshotId{key, listed, snapshotIds_.Int(2), static_cast<std::uint32_t>(snapshotIds_.Int(3)),
                           rule, snapshotIds_.Int(5) != 0, date, versionKey});
      }
      snapshotIds_.Reset();
      ok = step == SQLITE_DONE;
    }
  }
  if (!ok) error = sqlite3_errmsg(db_.get());
  ExecuteSql(db_.get(), "COMMIT");
  return ok;
}

bool SqliteCatalogStore::RemovePackage(const std::string& fileName) {
  deletePackage_.Reset();
  deletePackage_.Bind(1, fileName);
  return deletePackage_.Run();
}

bool SqliteCatalogStore::WalkCandidates(const std::string& id, const std::string& installedDate,
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

bool SqliteCatalogStore::DriverFields(std::int64_t driverId, OfferDriver& out) {
  driverFields_.Reset();
  driverFields_.Bind(1, driverId);
  const bool found = driverFields_.Step() == SQLITE_ROW;
  if (found) {
    out = OfferDriver{driverFields_.Text(0), driverFields_.Text(1), driverFields_.Text(2), driverFields_.Text(3),
                      driverFields_.Text(4), driverFields_.Text(5), driverFields_.Int(6) != 0,
                      driverFields_.Int(7) != 0};
  }
  driverFields_.Reset();
  return found;
}

std::optional<PackageLocation> SqliteCatalogStore::FindDriver(const std::string& catalogKey) {
  findDriver_.Reset();
  findDriver_.Bind(1, catalogKey);
  std::optional<PackageLocation> location;
  if (findDriver_.Step() == SQLITE_ROW) location = PackageLocation{findDriver_.Text(0), findDriver_.Text(1)};
  findDriver_.Reset();
  return location;
}

bool SqliteCatalogStore::HasPackage(const std::string& fileName) {
  hasPackage_.Reset();
  hasPackage_.Bind(1, fileName);
  const bool found = hasPackage_.Step() == SQLITE_ROW;
  hasPackage_.Reset();
  return found;
}

std::int64_t SqliteCatalogStore::PackageCount() {
  packageCount_.Reset();
  const std::int64_t count = packageCount_.Step() == SQLITE_ROW ? packageCount_.Int(0) : 0;
  packageCount_.Reset();
  return count;
}

std::int64_t SqliteCatalogStore::IdCount() {
  idCount_.Reset();
  const std::int64_t count = idCount_.Step() == SQLITE_ROW ? idCount_.Int(0) : 0;
  idCount_.Reset();
  return count;
}

}  // namespace velkor::service
