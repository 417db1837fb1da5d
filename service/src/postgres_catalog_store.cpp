#include "postgres_catalog_store.hpp"

#include <poll.h>

#include "base/utf.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"

namespace velkor::service {
namespace {

// The SQLite layout's columns and indexes. Dates and version keys compare as
// bytes ("C"), as SQLite compares them, so that both stores give the same order.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS packages(
  id BIGSERIAL PRIMARY KEY,
  file_name TEXT NOT NULL UNIQUE,
  size BIGINT NOT NULL,
  modified BIGINT NOT NULL,
  sidecar_modified BIGINT NOT NULL,
  md5 TEXT NOT NULL,
  sha256 TEXT NOT NULL,
  is_install BOOLEAN NOT NULL,
  is_specific_case BOOLEAN NOT NULL,
  imported_at BIGINT NOT NULL);
CREATE TABLE IF NOT EXISTS drivers(
  id BIGSERIAL PRIMARY KEY,
  package_id BIGINT NOT NULL REFERENCES packages(id) ON DELETE CASCADE,
  catalog_key TEXT NOT NULL UNIQUE,
  inf_path TEXT NOT NULL,
  driver_date TEXT COLLATE "C" NOT NULL,
  version TEXT NOT NULL,
  version_key TEXT COLLATE "C" NOT NULL,
  provider TEXT NOT NULL,
  class TEXT NOT NULL,
  catalog_file TEXT NOT NULL,
  signer TEXT NOT NULL,
  os_mask BIGINT NOT NULL,
  os_codes TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS drivers_by_package ON drivers(package_id);
CREATE TABLE IF NOT EXISTS driver_ids(
  hardware_id TEXT COLLATE "C" NOT NULL,
  listed_id TEXT NOT NULL,
  driver_id BIGINT NOT NULL REFERENCES drivers(id) ON DELETE CASCADE,
  os_mask BIGINT NOT NULL,
  os_rule TEXT NOT NULL,
  as_hardware_id BOOLEAN NOT NULL,
  driver_date TEXT COLLATE "C" NOT NULL,
  version_key TEXT COLLATE "C" NOT NULL);
CREATE INDEX IF NOT EXISTS driver_ids_by_offer
  ON driver_ids(hardware_id, driver_date DESC, version_key DESC, driver_id);
CREATE INDEX IF NOT EXISTS driver_ids_by_driver ON driver_ids(driver_id);
CREATE TABLE IF NOT EXISTS catalog_state(
  id INTEGER PRIMARY KEY CHECK (id = 1),
  generation BIGINT NOT NULL,
  layout INTEGER NOT NULL);
INSERT INTO catalog_state(id, generation, layout) VALUES(1, 0, 1) ON CONFLICT (id) DO NOTHING;
)sql";

constexpr int kLayout = 1;

struct Named {
  const char* name;
  const char* sql;
};
constexpr Named kStatements[] = {
    {"find_stamp", "SELECT size, modified, sidecar_modified FROM packages WHERE file_name = $1"},
    {"package_names", "SELECT file_name FROM packages ORDER BY file_name COLLATE \"C\""},
    {"delete_package", "DELETE FROM packages WHERE file_name = $1"},
    {"insert_package",
     "INSERT INTO packages(file_name, size, modified, sidecar_modified, md5, sha256, is_install,"
     " is_specific_case, imported_at) VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9) RETURNING id"},
    {"insert_driver",
     "INSERT INTO drivers(package_id, catalog_key, inf_path, driver_date, version, version_key,"
     " provider, class, catalog_file, signer, os_mask, os_codes)"
     " VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12) RETURNING id"},
    {"walk_candidates",
     "SELECT driver_id, listed_id, os_mask, os_rule, as_hardware_id FROM driver_ids"
     " WHERE hardware_id = $1 AND driver_date > $2 AND ($3::bigint = 0 OR (os_mask & $3::bigint) <> 0)"
     " ORDER BY driver_date DESC, version_key DESC, driver_id ASC LIMIT $4 OFFSET $5"},
    {"driver_fields",
     "SELECT d.catalog_key, d.driver_date, d.version, d.inf_path, d.signer, p.md5, p.is_install,"
     " p.is_specific_case FROM drivers d JOIN packages p ON p.id = d.package_id WHERE d.id = $1"},
    {"find_driver",
     "SELECT p.file_name, p.md5 FROM drivers d JOIN packages p ON p.id = d.package_id"
     " WHERE d.catalog_key = $1"},
    {"has_package", "SELECT 1 FROM packages WHERE file_name = $1"},
    {"package_count", "SELECT COUNT(*) FROM packages"},
    {"id_count", "SELECT COUNT(*) FROM driver_ids"},
    {"generation", "SELECT generation FROM catalog_state WHERE id = 1"},
    {"publish",
     "WITH bumped AS (UPDATE catalog_state SET generation = generation + 1 WHERE id = 1 RETURNING generation)"
     " SELECT pg_notify('velkor_catalog', generation::text) FROM bumped"},
};

std::string Int(std::int64_t value) { return std::to_string(value); }

}  // namespace

bool CreatePostgresTables(PgSession& session, const char* ddl, std::string& error) {
  // Nodes that start together would race on CREATE ... IF NOT EXISTS.
  if (!session.Execute("BEGIN", &error)) return false;
  if (!session.Execute("SELECT pg_advisory_xact_lock(7615413)", &error) || !session.Execute(ddl, &error) ||
      !session.Execute("COMMIT", &error)) {
    session.Execute("ROLLBACK");
    return false;
  }
  return true;
}

std::unique_ptr<PostgresCatalogStore> PostgresCatalogStore::Open(const std::string& url, std::string& error) {
  std::unique_ptr<PostgresCatalogStore> store(new PostgresCatalogStore());
  PgSession& s = store->session_;
  if (!s.Connect(url, error) || !CreatePostgresTables(s, kSchema, error)) return nullptr;
  PgResult layout(PQexec(s.Raw(), "SELECT layout FROM catalog_state WHERE id = 1"));
  if (!layout || PQresultStatus(layout.get()) != PGRES_TUPLES_OK || PQntuples(layout.get()) != 1) {
    error = s.LastError();
    return nullptr;
  }
  if (PgInt(layout.get(), 0, 0) != kLayout) {
    error = "the catalog has layout " + std::string(PgText(layout.get(), 0, 0)) + ", this velkor-service reads " +
            std::to_string(kLayout);
    return nullptr;
  }
  for (const Named& statement : kStatements) {
    if (!s.Prepare(statement.name, statement.sql, error)) return nullptr;
  }
  return store;
}

std::optional<PackageStamp> PostgresCatalogStore::FindStamp(const std::string& fileName) {
  PgResult r = session_.Run("find_stamp", {fileName});
  if (!r || PQntuples(r.get()) != 1) return std::nullopt;
  return PackageStamp{PgInt(r.get(), 0, 0), PgInt(r.get(), 0, 1), PgInt(r.get(), 0, 2)};
}

std::vector<std::string> PostgresCatalogStore::PackageNames() {
  std::vector<std::string> names;
  PgResult r = session_.Run("package_names", {});
  for (int i = 0; r && i < PQntuples(r.get()); ++i) names.emplace_back(PgText(r.get(), i, 0));
  return names;
}

bool PostgresCatalogStore::AddPackageRows(const CatalogPackage& package, std::int64_t importedAt,
                                          std::string& error) {
  if (!session_.Run("delete_package", {package.fileName})) {
    error = session_.LastError();
    return false;
  }
  PgResult inserted = session_.Run(
      "insert_package", {package.fileName, Int(package.size), Int(package.modified), Int(package.sidecarModified),
                         package.md5, package.sha256, package.isInstall ? "t" : "f",
                         package.isSpecificCase ? "t" : "f", Int(importedAt)});
  if (!inserted || PQntuples(inserted.get()) != 1) {
    error = session_.LastError();
    return false;
  }
  const std::string packageId(PgText(inserted.get(), 0, 0));
  std::vector<std::vector<std::string>> idRows;
  for (const CatalogDriver& driver : package.drivers) {
    const std::string versionKey = VersionSortKey(FromUtf8(driver.version));
    PgResult d = session_.Run(
        "insert_driver", {packageId, driver.catalogKey, driver.infPath, driver.date, driver.version, versionKey,
                          driver.provider, driver.className, driver.catalogFile, driver.signer,
                          Int(driver.osMask), OsCodesText(driver.osMask)});
    if (!d || PQntuples(d.get()) != 1) {
      error = session_.LastError();
      return false;
    }
    const std::string driverId(PgText(d.get(), 0, 0));
    for (const CatalogId& id : driver.ids) {
      idRows.push_back({id.key, id.listed, driverId, Int(id.osMask), id.rule, id.asHardwareId ? "t" : "f",
                        driver.date, versionKey});
    }
  }
  return idRows.empty() ||
         session_.CopyRows("COPY driver_ids(hardware_id, listed_id, driver_id, os_mask, os_rule, as_hardware_id,"
                           " driver_date, version_key) FROM STDIN",
                           idRows, error);
}

bool PostgresCatalogStore::StorePackages(const std::vector<CatalogPackage>& packages, std::int64_t importedAt,
                                         std::string& error) {
  if (!session_.Execute("BEGIN", &error)) return false;
  for (const CatalogPackage& package : packages) {
    if (!AddPackageRows(package, importedAt, error)) {
      session_.Execute("ROLLBACK");
      return false;
    }
  }
  if (!session_.Execute("COMMIT", &error)) {
    session_.Execute("ROLLBACK");
    return false;
  }
  return true;
}

bool PostgresCatalogStore::RemovePackage(const std::string& fileName) {
  return session_.Run("delete_package", {fileName}) != nullptr;
}

bool PostgresCatalogStore::PublishGeneration(std::string& error) {
  // The notification goes out when the update commits (one statement, its own
  // transaction).
  if (session_.Run("publish", {})) return true;
  error = session_.LastError();
  return false;
}

bool PostgresCatalogStore::WalkCandidates(const std::string& id, const std::string& installedDate,
                                          std::uint32_t legacyMask, const CandidateVisitor& visit) {
  // Pages of rows: most walks end at the first row, a generic ID's may go on.
  std::int64_t offset = 0;
  std::int64_t page = 16;
  for (;;) {
    PgResult r = session_.Run("walk_candidates",
                              {id, installedDate, Int(legacyMask), Int(page), Int(offset)});
    if (!r) return false;
    const int rows = PQntuples(r.get());
    for (int i = 0; i < rows; ++i) {
      const OfferCandidate candidate{PgInt(r.get(), i, 0), PgText(r.get(), i, 1),
                                     static_cast<std::uint32_t>(PgInt(r.get(), i, 2)), PgText(r.get(), i, 3),
                                     PgBool(r.get(), i, 4)};
      if (!visit(candidate)) return true;
    }
    if (rows < page) return true;
    offset += page;
    page = 256;
  }
}

bool PostgresCatalogStore::DriverFields(std::int64_t driverId, OfferDriver& out) {
  PgResult r = session_.Run("driver_fields", {Int(driverId)});
  if (!r || PQntuples(r.get()) != 1) return false;
  const PGresult* x = r.get();
  out = OfferDriver{std::string(PgText(x, 0, 0)), std::string(PgText(x, 0, 1)), std::string(PgText(x, 0, 2)),
                    std::string(PgText(x, 0, 3)), std::string(PgText(x, 0, 4)), std::string(PgText(x, 0, 5)),
                    PgBool(x, 0, 6), PgBool(x, 0, 7)};
  return true;
}

std::optional<PackageLocation> PostgresCatalogStore::FindDriver(const std::string& catalogKey) {
  PgResult r = session_.Run("find_driver", {catalogKey});
  if (!r || PQntuples(r.get()) != 1) return std::nullopt;
  return PackageLocation{std::string(PgText(r.get(), 0, 0)), std::string(PgText(r.get(), 0, 1))};
}

bool PostgresCatalogStore::HasPackage(const std::string& fileName) {
  PgResult r = session_.Run("has_package", {fileName});
  return r && PQntuples(r.get()) == 1;
}

std::int64_t PostgresCatalogStore::PackageCount() {
  PgResult r = session_.Run("package_count", {});
  return r && PQntuples(r.get()) == 1 ? PgInt(r.get(), 0, 0) : 0;
}

std::int64_t PostgresCatalogStore::IdCount() {
  PgResult r = session_.Run("id_count", {});
  return r && PQntuples(r.get()) == 1 ? PgInt(r.get(), 0, 0) : 0;
}

std::optional<std::int64_t> PostgresCatalogStore::Generation() {
  PgResult r = session_.Run("generation", {});
  if (!r || PQntuples(r.get()) != 1) return std::nullopt;
  return PgInt(r.get(), 0, 0);
}

bool PostgresCatalogStore::ReadSnapshot(SnapshotSink& sink, std::int64_t& generation, std::string& error) {
  // One snapshot of the database for all three reads.
  if (!session_.Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", &error)) return false;
  const std::optional<std::int64_t> read = Generation();
  bool ok = read.has_value();
  if (ok) generation = *read;
  ok = ok && session_.StreamRows(
                 "SELECT d.id, p.file_name, d.catalog_key, d.driver_date, d.version, d.inf_path, d.signer,"
                 " p.md5, p.is_install, p.is_specific_case FROM drivers d JOIN packages p ON p.id = d.package_id",
                 [&](const PGresult* r) {
                   sink.Driver(SnapshotDriver{
                       PgInt(r, 0, 0), PgText(r, 0, 1),
                       OfferDriver{std::string(PgText(r, 0, 2)), std::string(PgText(r, 0, 3)),
                                   std::string(PgText(r, 0, 4)), std::string(PgText(r, 0, 5)),
                                   std::string(PgText(r, 0, 6)), std::string(PgText(r, 0, 7)), PgBool(r, 0, 8),
                                   PgBool(r, 0, 9)}});
                 });
  ok = ok && session_.StreamRows(
                 "SELECT hardware_id, listed_id, driver_id, os_mask, os_rule, as_hardware_id, driver_date,"
                 " version_key FROM driver_ids",
                 [&](const PGresult* r) {
                   sink.Id(SnapshotId{PgText(r, 0, 0), PgText(r, 0, 1), PgInt(r, 0, 2),
                                      static_cast<std::uint32_t>(PgInt(r, 0, 3)), PgText(r, 0, 4), PgBool(r, 0, 5),
                                      PgText(r, 0, 6), PgText(r, 0, 7)});
                 });
  if (!ok) error = session_.LastError();
  session_.Execute("COMMIT");
  return ok;
}

bool PostgresCatalogStore::ListenForGenerations() {
  // From now on every publication is told; what came before, the caller reads.
  if (!listening_) listening_ = session_.Execute("LISTEN velkor_catalog");
  return listening_;
}

bool PostgresCatalogStore::WaitForGeneration(int timeoutMs) {
  PGconn* c = session_.Raw();
  pollfd socket{PQsocket(c), POLLIN, 0};
  if (!listening_ || socket.fd < 0) return true;
  if (::poll(&socket, 1, timeoutMs) <= 0) return false;
  if (!PQconsumeInput(c)) {
    // The connection broke: the caller reads again (and fails) rather than waits.
    return true;
  }
  bool told = false;
  while (PGnotify* notify = PQnotifies(c)) {
    told = true;
    PQfreemem(notify);
  }
  return told;
}

}  // namespace velkor::service
