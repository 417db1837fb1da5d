#pragma once
// What the scan handler asks a catalog for: the drivers that list an ID, walked
// in offer order, and the answer's fields of the driver it settles on. The
// SQLite catalog answers it with SQL; other stores and in-memory indexes answer
// it the same way, so that every one of them gives the same answers.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::service {

// One driver that lists an ID, as a walk meets it. The views stay valid for the
// visit only.
struct OfferCandidate {
  std::int64_t driverId = 0;   // the catalog's driver; drivers imported earlier have lower numbers
  std::string_view listedId;   // the ID as this driver's INF lists it
  std::uint32_t osMask = 0;    // the client's OS codes served
  std::string_view osRule;     // the systems served (serving_rule.hpp); may be empty
  bool asHardwareId = false;   // some model line of the driver names it first
};

// Returns false to end the walk.
using CandidateVisitor = std::function<bool(const OfferCandidate&)>;

// The answer's fields of one driver.
struct OfferDriver {
  std::string catalogKey;
  std::string date;  // YYYY-MM-DD
  std::string version;
  std::string infPath;
  std::string signer;
  std::string md5;
  bool isInstall = true;
  bool isSpecificCase = false;
};

// What a scan is offered for one ID: the chosen driver and the ID as it lists it.
struct Offer {
  std::string listedId;
  OfferDriver driver;
};

class OfferSource {
 public:
  virtual ~OfferSource() = default;
  // Visits every driver that lists id (lower case) and is dated after
  // installedDate (YYYY-MM-DD; empty means any date), newest date first, then
  // highest version, then the one imported first, until the visitor returns
  // false. A source may leave out drivers that serve none of the codes of
  // legacyMask, when it is not 0 (the visitor judges every driver anyway).
  // False when the catalog could not be read.
  virtual bool WalkCandidates(const std::string& id, const std::string& installedDate,
                              std::uint32_t legacyMask, const CandidateVisitor& visit) = 0;
  // The answer's fields of a driver a walk gave, into out (its strings reused);
  // false when it is gone.
  virtual bool DriverFields(std::int64_t driverId, OfferDriver& out) = 0;
};

}  // namespace velkor::service
