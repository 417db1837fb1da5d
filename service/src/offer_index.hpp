#pragma once
// The catalog of one generation in memory, for answering scans without the
// database: per lower-cased ID, the drivers that list it already in offer
// order (newest date, highest version, imported first), so that a lookup is one
// hash probe and a short walk. It answers exactly what the store answers (the
// scan handler walks both the same way).
//
// Immutable once built: every method may be called from any thread at once.
// The server holds the current one in a shared pointer and swaps in a new one
// after each import; requests in flight finish on the one they started with.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_store.hpp"

namespace velkor::service {

struct OfferIndexStats {
  std::int64_t generation = 0;
  std::size_t ids = 0;          // catalog ID rows
  std::size_t distinctIds = 0;  // lower-cased IDs
  std::size_t drivers = 0;
  std::size_t packages = 0;
  std::size_t bytes = 0;        // what the index holds, all its tables together
  double buildSeconds = 0;      // reading the snapshot and building
};

class OfferIndex final : public CatalogReader {
 public:
  // Reads one snapshot of the store and builds its index; null with the reason
  // in error when the store cannot be read or the catalog is too large to index
  // (more than 4 GiB of text, or 2^32 rows).
  static std::shared_ptr<OfferIndex> Build(CatalogStore& store, std::string& error);

  bool WalkCandidates(const std::string& id, const std::string& installedDate, std::uint32_t legacyMask,
                      const CandidateVisitor& visit) override;
  // driverId is the index's own number of the driver, as its walks give it.
  bool DriverFields(std::int64_t driverId, OfferDriver& out) override;
  std::optional<PackageLocation> FindDriver(const std::string& catalogKey) override;
  bool HasPackage(const std::string& fileName) override;
  std::int64_t PackageCount() override;

  const OfferIndexStats& Stats() const { return stats_; }

 private:
  friend class OfferIndexBuilder;

  // A text in the arena.
  struct Text {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  struct Driver {
    Text catalogKey, date, version, infPath, signer;
    std::uint32_t package = 0;
  };
  struct Package {
    Text fileName, md5;
    bool isInstall = true;
    bool isSpecificCase = false;
  };
  // One driver listing one ID. Drivers are numbered in offer order, so an ID's
  // candidates stand sorted by driver.
  struct Candidate {
    std::uint32_t driver;
    std::uint32_t date;     // YYYYMMDD, for ending a walk at the installed date
    std::uint32_t listed;   // into texts_
    std::uint32_t rule;     // into texts_; 0 is the empty rule
    std::uint16_t osMask;
    bool asHardwareId;
  };
  struct Key {
    Text text;
    std::uint32_t firstCandidate;  // the next key's is the end
  };

  OfferIndex() = default;
  std::string_view View(Text text) const { return std::string_view(arena_).substr(text.offset, text.length); }
  // Open addressing over texts; a slot holds an entry number + 1, 0 is empty.
  static std::uint64_t Hash(std::string_view text);
  std::uint32_t FindKey(std::string_view key) const;          // key number + 1, or 0
  std::uint32_t FindDriverByKey(std::string_view key) const;  // driver number + 1, or 0
  std::uint32_t FindPackage(std::string_view name) const;     // package number + 1, or 0

  std::string arena_;
  std::vector<Text> texts_;  // listed IDs and rules, each once
  std::vector<Driver> drivers_;
  std::vector<Package> packages_;
  std::vector<Candidate> candidates_;
  std::vector<Key> keys_;  // one more at the end: its firstCandidate is the total
  std::vector<std::uint32_t> keySlots_, driverSlots_, packageSlots_;
  OfferIndexStats stats_;
};

}  // namespace velkor::service
