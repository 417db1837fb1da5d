#pragma once
// The driver catalog: packages, the drivers (INF files) inside them, and the IDs
// each driver lists with the systems it serves them to. Texts are UTF-8.
//
// Two stores keep it: an SQLite file (the embedded default) and a PostgreSQL
// database that many serving nodes share (`--catalog postgresql://...`). One
// CatalogStore is one connection: use it from one thread at a time (the HTTP
// server keeps a pool of them). What serving needs is CatalogReader, which the
// in-memory offer index answers as well.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "offer_source.hpp"

namespace velkor::service {

struct CatalogId {
  std::string key;     // lower case
  std::string listed;  // as the INF lists it
  std::uint32_t osMask = 0;
  std::string rule = {};  // RuleText of the systems it serves; empty: by osMask alone
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

// The whole catalog as an index is built from it, read in one snapshot: every
// driver with its answer fields, then every ID row. Views stay valid for the
// call only.
struct SnapshotDriver {
  std::int64_t driverId = 0;
  std::string_view packageFile;
  OfferDriver fields;
};
struct SnapshotId {
  std::string_view key;
  std::string_view listed;
  std::int64_t driverId = 0;
  std::uint32_t osMask = 0;
  std::string_view rule;
  bool asHardwareId = false;
  std::string_view date;        // YYYY-MM-DD, the driver's
  std::string_view versionKey;  // VersionSortKey of the driver's version
};
class SnapshotSink {
 public:
  virtual ~SnapshotSink() = default;
  virtual void Driver(const SnapshotDriver& driver) = 0;
  virtual void Id(const SnapshotId& id) = 0;
};

// What the HTTP endpoints read.
class CatalogReader : public OfferSource {
 public:
  virtual std::optional<PackageLocation> FindDriver(const std::string& catalogKey) = 0;
  virtual bool HasPackage(const std::string& fileName) = 0;
  virtual std::int64_t PackageCount() = 0;
};

class CatalogStore : public CatalogReader {
 public:
  // Opens the catalog at location, creating its tables when missing: a
  // "postgresql://" or "postgres://" URL, else an SQLite file (":memory:" for a
  // private in-memory one). Null with the reason in error when it cannot be
  // opened.
  static std::unique_ptr<CatalogStore> Open(const std::string& location, std::string& error);

  // False once the connection broke; a pool then drops it.
  virtual bool Usable() const { return true; }

  // Import side.
  virtual std::optional<PackageStamp> FindStamp(const std::string& fileName) = 0;
  virtual std::vector<std::string> PackageNames() = 0;
  // Replaces everything known about each package, all of them in one
  // transaction (a bulk load passes many; an import one at a time).
  virtual bool StorePackages(const std::vector<CatalogPackage>& packages, std::int64_t importedAt,
                             std::string& error) = 0;
  bool StorePackage(const CatalogPackage& package, std::int64_t importedAt, std::string& error);
  virtual bool RemovePackage(const std::string& fileName) = 0;
  // Ends an import that changed the catalog: the generation goes up by one and
  // serving nodes rebuild their index from it.
  virtual bool PublishGeneration(std::string& error) = 0;

  // Serving side, besides CatalogReader.
  virtual std::int64_t IdCount() = 0;
  // The number of imports published; none when it cannot be read.
  virtual std::optional<std::int64_t> Generation() = 0;
  // The catalog of one generation, for an index; false with the reason when it
  // cannot be read. generation is the one read.
  virtual bool ReadSnapshot(SnapshotSink& sink, std::int64_t& generation, std::string& error) = 0;
  // Whether this connection is told of publications (PostgreSQL's LISTEN): from
  // the first call on, WaitForGeneration waits for them. A store that cannot be
  // told (SQLite, written by another process) is looked at again after a while
  // by its reader.
  virtual bool ListenForGenerations() { return false; }
  // Waits at most timeoutMs for a publication; true when one was told.
  virtual bool WaitForGeneration(int /*timeoutMs*/) { return false; }
};

bool IsPostgresLocation(std::string_view location);

}  // namespace velkor::service
