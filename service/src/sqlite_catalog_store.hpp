#pragma once
// The catalog in one SQLite file (the embedded default): every statement
// prepared once per connection, values only bound; WAL journaling lets `serve`
// read while `import` writes.

#include <memory>
#include <string>

#include "catalog_store.hpp"
#include "sqlite_handle.hpp"

namespace velkor::service {

class SqliteCatalogStore final : public CatalogStore {
 public:
  static std::unique_ptr<SqliteCatalogStore> Open(const std::string& path, std::string& error);

  std::optional<PackageStamp> FindStamp(const std::string& fileName) override;
  std::vector<std::string> PackageNames() override;
  bool StorePackages(const std::vector<CatalogPackage>& packages, std::int64_t importedAt,
                     std::string& error) override;
  bool RemovePackage(const std::string& fileName) override;
  bool PublishGeneration(std::string& error) override;

  bool WalkCandidates(const std::string& id, const std::string& installedDate,
                      std::uint32_t legacyMask, const CandidateVisitor& visit) override;
  bool DriverFields(std::int64_t driverId, OfferDriver& out) override;
  std::optional<PackageLocation> FindDriver(const std::string& catalogKey) override;
  bool HasPackage(const std::string& fileName) override;
  std::int64_t PackageCount() override;
  std::int64_t IdCount() override;
  std::optional<std::int64_t> Generation() override;
  bool ReadSnapshot(SnapshotSink& sink, std::int64_t& generation, std::string& error) override;

 private:
  explicit SqliteCatalogStore(SqliteConnection db) : db_(std::move(db)) {}
  bool Prepare(std::string& error);
  bool AddPackageRows(const CatalogPackage& package, std::int64_t importedAt);
  static bool UpgradeSchema(sqlite3* db, std::string& error);

  SqliteConnection db_;
  Statement findStamp_, packageNames_, deletePackage_, insertPackage_, insertDriver_, insertId_;
  Statement walkCandidates_, driverFields_, findDriver_, hasPackage_, packageCount_, idCount_;
  Statement generation_, bumpGeneration_, snapshotDrivers_, snapshotIds_;
};

// Opens an SQLite file for the service: WAL journaling, a busy wait, mapped
// reads. Shared by the catalog and the feedback store.
SqliteConnection OpenServiceDatabase(const std::string& path, std::string& error);

}  // namespace velkor::service
