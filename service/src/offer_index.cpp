#include "offer_index.hpp"

#include <algorithm>
#include <chrono>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "base/utf.hpp"
#include "offer_rules.hpp"

namespace velkor::service {
namespace {

// "YYYY-MM-DD" as YYYYMMDD; none for any other text.
std::optional<std::uint32_t> DateNumber(std::string_view date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 10; ++i) {
    if (i == 4 || i == 7) continue;
    if (date[i] < '0' || date[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(date[i] - '0');
  }
  return value;
}

// Slots for n entries: a power of two with room to spare, so probes stay short.
std::vector<std::uint32_t> EmptySlots(std::size_t entries) {
  std::size_t size = 16;
  while (size < entries * 2) size *= 2;
  return std::vector<std::uint32_t>(size, 0);
}

template <typename T>
std::size_t BytesOf(const std::vector<T>& v) {
  return v.capacity() * sizeof(T);
}

}  // namespace

std::uint64_t OfferIndex::Hash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// Collects a snapshot and turns it into an index.
class OfferIndexBuilder final : public SnapshotSink {
 public:
  explicit OfferIndexBuilder(OfferIndex& index) : index_(index) {}

  void Driver(const SnapshotDriver& d) override {
    drivers_.push_back(RawDriver{d.driverId, std::string(d.packageFile), d.fields,
                                 VersionSortKey(FromUtf8(d.fields.version))});
  }

  void Id(const SnapshotId& id) override {
    auto key = keyNumbers_.find(std::string(id.key));
    if (key == keyNumbers_.end()) {
      key = keyNumbers_.emplace(std::string(id.key), static_cast<std::uint32_t>(keyTexts_.size())).first;
      keyTexts_.push_back(Intern(id.key));
    }
    // The client's codes are sixteen bits of the mask.
    if (id.osMask > 0xFFFF) overflow_ = true;
    ids_.push_back(RawId{key->second, TextNumber(id.listed), TextNumber(id.rule), id.driverId,
                         static_cast<std::uint16_t>(id.osMask), id.asHardwareId});
  }

  bool Finish(std::string& error) {
    if (overflow_ || ids_.size() >= std::numeric_limits<std::uint32_t>::max()) {
      error = "the catalog is too large for an index, or holds OS masks it does not know";
      return false;
    }
    OfferIndex& x = index_;
    // Drivers in offer order: the walk of any ID is then a walk in driver order.
    std::vector<std::size_t> order(drivers_.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      const RawDriver& l = drivers_[a];
      const RawDriver& r = drivers_[b];
      if (l.fields.date != r.fields.date) return l.fields.date > r.fields.date;
      if (l.versionKey != r.versionKey) return l.versionKey > r.versionKey;
      return l.id < r.id;
    });
    std::unordered_map<std::int64_t, std::uint32_t> numberOf;
    std::unordered_map<std::string, std::uint32_t> packageOf;
    std::vector<std::uint32_t> dates;
    for (std::size_t n = 0; n < order.size(); ++n) {
      const RawDriver& d = drivers_[order[n]];
      const std::optional<std::uint32_t> date = DateNumber(d.fields.date);
      if (!date) {
        error = "driver " + d.fields.catalogKey + " has the date \"" + d.fields.date + "\", not YYYY-MM-DD";
        return false;
      }
      numberOf.emplace(d.id, static_cast<std::uint32_t>(n));
      dates.push_back(*date);
      auto package = packageOf.find(d.packageFile);
      if (package == packageOf.end()) {
        package = packageOf.emplace(d.packageFile, static_cast<std::uint32_t>(x.packages_.size())).first;
        x.packages_.push_back(OfferIndex::Package{Intern(d.packageFile), Intern(d.fields.md5), d.fields.isInstall,
                                                  d.fields.isSpecificCase});
      }
      x.drivers_.push_back(OfferIndex::Driver{Intern(d.fields.catalogKey), Intern(d.fields.date),
                                              Intern(d.fields.version), Intern(d.fields.infPath),
                                              Intern(d.fields.signer), package->second});
    }

    // Candidates grouped by key (counting sort), each key's in driver order.
    std::vector<std::uint32_t> first(keyTexts_.size() + 1, 0);
    for (const RawId& id : ids_) ++first[id.key + 1];
    std::partial_sum(first.begin(), first.end(), first.begin());
    std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
    x.candidates_.resize(ids_.size());
    for (const RawId& id : ids_) {
      const auto driver = numberOf.find(id.driverId);
      if (driver == numberOf.end()) {
        error = "an ID row names a driver the catalog does not have";
        return false;
      }
      x.candidates_[next[id.key]++] = OfferIndex::Candidate{driver->second, dates[driver->second], id.listed,
                                                            id.rule, id.osMask, id.asHardwareId};
    }
    for (std::size_t k = 0; k < keyTexts_.size(); ++k) {
      std::sort(x.candidates_.begin() + first[k], x.candidates_.begin() + first[k + 1],
                [](const OfferIndex::Candidate& a, const OfferIndex::Candidate& b) { return a.driver < b.driver; });
      x.keys_.push_back(OfferIndex::Key{keyTexts_[k], first[k]});
    }
    x.keys_.push_back(OfferIndex::Key{{}, first.back()});

    x.keySlots_ = EmptySlots(keyTexts_.size());
    for (std::size_t k = 0; k < keyTexts_.size(); ++k) Place(x.keySlots_, x.View(keyTexts_[k]), k);
    x.driverSlots_ = EmptySlots(x.drivers_.size());
    for (std::size_t d = 0; d < x.drivers_.size(); ++d) Place(x.driverSlots_, x.View(x.drivers_[d].catalogKey), d);
    x.packageSlots_ = EmptySlots(x.packages_.size());
    for (std::size_t p = 0; p < x.packages_.size(); ++p) Place(x.packageSlots_, x.View(x.packages_[p].fileName), p);

    x.arena_.shrink_to_fit();
    x.texts_.shrink_to_fit();
    x.drivers_.shrink_to_fit();
    x.packages_.shrink_to_fit();
    x.stats_.ids = x.candidates_.size();
    x.stats_.distinctIds = keyTexts_.size();
    x.stats_.drivers = x.drivers_.size();
    x.stats_.packages = x.packages_.size();
    x.stats_.bytes = x.arena_.capacity() + BytesOf(x.texts_) + BytesOf(x.drivers_) + BytesOf(x.packages_) +
                     BytesOf(x.candidates_) + BytesOf(x.keys_) + BytesOf(x.keySlots_) + BytesOf(x.driverSlots_) +
                     BytesOf(x.packageSlots_);
    return true;
  }

 private:
  struct RawDriver {
    std::int64_t id;
    std::string packageFile;
    OfferDriver fields;
    std::string versionKey;
  };
  struct RawId {
    std::uint32_t key;
    std::uint32_t listed;
    std::uint32_t rule;
    std::int64_t driverId;
    std::uint16_t osMask;
    bool asHardwareId;
  };

  // Each distinct text once in the arena.
  OfferIndex::Text Intern(std::string_view text) {
    auto found = arenaTexts_.find(std::string(text));
    if (found != arenaTexts_.end()) return found->second;
    if (index_.arena_.size() + text.size() > std::numeric_limits<std::uint32_t>::max()) {
      overflow_ = true;
      return {};
    }
    const OfferIndex::Text placed{static_cast<std::uint32_t>(index_.arena_.size()),
                                  static_cast<std::uint32_t>(text.size())};
    index_.arena_.append(text);
    arenaTexts_.emplace(std::string(text), placed);
    return placed;
  }

  // A listed ID's or a rule's number in texts_; the empty rule is number 0.
  std::uint32_t TextNumber(std::string_view text) {
    if (index_.texts_.empty()) index_.texts_.push_back(OfferIndex::Text{});
    if (text.empty()) return 0;
    auto found = textNumbers_.find(std::string(text));
    if (found != textNumbers_.end()) return found->second;
    const auto number = static_cast<std::uint32_t>(index_.texts_.size());
    index_.texts_.push_back(Intern(text));
    textNumbers_.emplace(std::string(text), number);
    return number;
  }

  void Place(std::vector<std::uint32_t>& slots, std::string_view text, std::size_t entry) {
    const std::size_t mask = slots.size() - 1;
    std::size_t at = OfferIndex::Hash(text) & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = static_cast<std::uint32_t>(entry + 1);
  }

  OfferIndex& index_;
  std::vector<RawDriver> drivers_;
  std::vector<RawId> ids_;
  std::vector<OfferIndex::Text> keyTexts_;
  std::unordered_map<std::string, std::uint32_t> keyNumbers_;
  std::unordered_map<std::string, OfferIndex::Text> arenaTexts_;
  std::unordered_map<std::string, std::uint32_t> textNumbers_;
  bool overflow_ = false;
};

std::shared_ptr<OfferIndex> OfferIndex::Build(CatalogStore& store, std::string& error) {
  const auto start = std::chrono::steady_clock::now();
  std::shared_ptr<OfferIndex> index(new OfferIndex());
  {
    OfferIndexBuilder builder(*index);
    std::int64_t generation = 0;
    if (!store.ReadSnapshot(builder, generation, error) || !builder.Finish(error)) return nullptr;
    index->stats_.generation = generation;
  }
  index->stats_.buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return index;
}

std::uint32_t OfferIndex::FindKey(std::string_view key) const {
  const std::size_t mask = keySlots_.size() - 1;
  for (std::size_t at = Hash(key) & mask; keySlots_[at] != 0; at = (at + 1) & mask) {
    if (View(keys_[keySlots_[at] - 1].text) == key) return keySlots_[at];
  }
  return 0;
}

std::uint32_t OfferIndex::FindDriverByKey(std::string_view key) const {
  const std::size_t mask = driverSlots_.size() - 1;
  for (std::size_t at = Hash(key) & mask; driverSlots_[at] != 0; at = (at + 1) & mask) {
    if (View(drivers_[driverSlots_[at] - 1].catalogKey) == key) return driverSlots_[at];
  }
  return 0;
}

std::uint32_t OfferIndex::FindPackage(std::string_view name) const {
  const std::size_t mask = packageSlots_.size() - 1;
  for (std::size_t at = Hash(name) & mask; packageSlots_[at] != 0; at = (at + 1) & mask) {
    if (View(packages_[packageSlots_[at] - 1].fileName) == name) return packageSlots_[at];
  }
  return 0;
}

bool OfferIndex::WalkCandidates(const std::string& id, const std::string& installedDate, std::uint32_t legacyMask,
                                const CandidateVisitor& visit) {
  const std::uint32_t key = FindKey(id);
  if (key == 0) return true;
  // Candidates stand newest first: the walk ends at the first one that is not
  // newer than the installed driver. A date in another form is compared as
  // text, as the store compares it.
  const std::optional<std::uint32_t> installed =
      installedDate.empty() ? std::optional<std::uint32_t>(0) : DateNumber(installedDate);
  for (std::uint32_t c = keys_[key - 1].firstCandidate; c < keys_[key].firstCandidate; ++c) {
    const Candidate& candidate = candidates_[c];
    if (installed ? candidate.date <= *installed : View(drivers_[candidate.driver].date) <= installedDate) break;
    if (legacyMask != 0 && (candidate.osMask & legacyMask) == 0) continue;
    const OfferCandidate offer{candidate.driver, View(texts_[candidate.listed]), candidate.osMask,
                               View(texts_[candidate.rule]), candidate.asHardwareId};
    if (!visit(offer)) break;
  }
  return true;
}

bool OfferIndex::DriverFields(std::int64_t driverId, OfferDriver& out) {
  if (driverId < 0 || static_cast<std::uint64_t>(driverId) >= drivers_.size()) return false;
  const Driver& d = drivers_[static_cast<std::size_t>(driverId)];
  const Package& p = packages_[d.package];
  out.catalogKey.assign(View(d.catalogKey));
  out.date.assign(View(d.date));
  out.version.assign(View(d.version));
  out.infPath.assign(View(d.infPath));
  out.signer.assign(View(d.signer));
  out.md5.assign(View(p.md5));
  out.isInstall = p.isInstall;
  out.isSpecificCase = p.isSpecificCase;
  return true;
}

std::optional<PackageLocation> OfferIndex::FindDriver(const std::string& catalogKey) {
  const std::uint32_t found = FindDriverByKey(catalogKey);
  if (found == 0) return std::nullopt;
  const Package& p = packages_[drivers_[found - 1].package];
  return PackageLocation{std::string(View(p.fileName)), std::string(View(p.md5))};
}

bool OfferIndex::HasPackage(const std::string& fileName) { return FindPackage(fileName) != 0; }

std::int64_t OfferIndex::PackageCount() { return static_cast<std::int64_t>(packages_.size()); }

}  // namespace velkor::service
