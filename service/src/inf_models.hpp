#pragma once
// What the catalog needs from one driver INF: [Version] facts and every hardware
// or compatible ID that its models sections list, with the systems each serves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "inf_parser.hpp"
#include "serving_rule.hpp"

namespace velkor::service {

// IDs longer than this are dropped; so are IDs holding "|", which the client's
// ID lists use as their separator.
inline constexpr std::size_t kMaxIdChars = 512;

struct InfListedId {
  std::wstring listed;  // as the INF writes it
  std::wstring key;     // lower case (ASCII folding)
  std::uint32_t osMask = 0;  // the client's OS codes whose chosen section lists it
  ServingRule rule;          // every system whose chosen section lists it
  bool asHardwareId = false;  // some model line names it first (its hardware ID)
};

struct InfDriverInfo {
  std::wstring date;     // YYYY-MM-DD from DriverVer; empty when it has none
  std::wstring version;  // from DriverVer; may be empty
  std::wstring provider;
  std::wstring className;
  std::wstring catalogFile;
  // In the order first listed, one per key: each ID that some real Windows
  // release installs from (windows_releases.hpp), or some code of the client.
  std::vector<InfListedId> ids;
  std::uint32_t osMask = 0;  // union of the IDs' masks
};

InfDriverInfo ReadInfDriverInfo(const InfFile& inf);

// Reads a DriverVer date ("mm/dd/yyyy", also with "-") as YYYY-MM-DD; empty when
// it is not a real calendar date.
std::wstring ReadInfDate(std::wstring_view text);

}  // namespace velkor::service
