#pragma once
// The driver catalog in one SQLite file: packages, the drivers (INF files) inside
// them, the IDs each driver lists with the systems it serves them to, and the
// feedback reports. Texts are UTF-8. One CatalogStore is one connection: use it
// from one thread at a time (the HTTP server keeps a pool of them).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offer_source.hpp"
#include "sqlite_handle.hpp"

namespace velkor::service {

struct CatalogId {
  std::string key;     // lower case
  std::string listed;  // as the INF lists it
  std::uint32_t osMask = 0;
  std::string rule;    // RuleText of the systems it serves; empty: by osMask alone
  bool asHardwareId = false;
};

struct CatalogDriver {
  std::string catalogKey;  // the key DriverLookup asks for; never holds "|"
  std::string infPath;     // path inside the package, "/"-separated
  std::string date;        // YYYY-MM-DD
  std::string version;
  std::string provider;
  std::string className;
  std::string catalogFile;
  std::string signer;
  std::uint32_t osMask = 0;
  std::vector<CatalogId> ids;
};

struct CatalogPackage {
  std::string fileName;  // relative to the packages folder, "/"-separated
  std::int64_t size = 0;
  std::int64_t modified = 0;         // file time stamp, to notice changes
  std::int64_t sidecarModified = 0;  // 0 without a sidecar
  std::string md5;
  std::string sha256;
  bool isInstall = true;
  bool isSpecificCase = false;
  std::vector<CatalogDriver> drivers;
};

struct PackageStamp {
  std::int64_t size = 0;
  std::int64_t modified = 0;
  std::int64_t sidecarModified = 0;
};

struct PackageLocation {
  std::string fileName;
  std::string md5;
};

struct FeedbackReport {
  std::string receivedAt;  // UTC, ISO 8601
  std::string remote;
  std::string osid;
  std::string email;
  std::string problemType;
  std::string content;
  std::string document;
};

class CatalogStore : public OfferSource {
 public:
  // Opens (creating when missing) the catalog at path; ":memory:" for a private
  // in-memory catalog. Null with the reason in error when it cannot be opened.
  static std::unique_ptr<CatalogStore> Open(const std::string& path, std::string& error);

  // Import side.
  std::optional<PackageStamp> FindStamp(const std::string& fileName);
  std::vector<std::string> PackageNames();
  // Replaces everything known about the package in one transaction.
  bool StorePackage(const CatalogPackage& package, std::int64_t importedAt, std::string& error);
  // The same without a transaction of its own, for bulk loads that wrap many
  // packages in one (Begin/Commit).
  bool AddPackageRows(const CatalogPackage& package, std::int64_t importedAt);
  bool RemovePackage(const std::string& fileName);
  bool Begin();
  bool Commit();
  void Rollback();

  // Serving side.
  bool WalkCandidates(const std::string& id, const std::string& installedDate,
                      std::uint32_t legacyMask, const CandidateVisitor& visit) override;
  std::optional<OfferDriver> DriverFields(std::int64_t driverId) override;
  std::optional<PackageLocation> FindDriver(const std::string& catalogKey);
  bool HasPackage(const std::string& fileName);
  std::int64_t PackageCount();
  std::int64_t IdCount();
  bool StoreFeedback(const FeedbackReport& report);
  std::vector<FeedbackReport> Feedback();

  sqlite3* Handle() const { return db_.get(); }

 private:
  explicit CatalogStore(SqliteConnection db) : db_(std::move(db)) {}
  bool Prepare(std::string& error);
  static bool UpgradeSchema(sqlite3* db, std::string& error);

  SqliteConnection db_;
  Statement findStamp_, packageNames_, deletePackage_, insertPackage_, insertDriver_, insertId_;
  Statement walkCandidates_, driverFields_, findDriver_, hasPackage_, packageCount_, idCount_;
  Statement insertFeedback_, listFeedback_;
};

}  // namespace velkor::service
