#pragma once
// What the catalog needs from one driver INF: [Version] facts and every hardware
// or compatible ID that its models sections list, with the systems each serves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "inf_parser.hpp"

namespace velkor::service {

// IDs longer than this are dropped; so are IDs holding "|", which the client's
// ID lists use as their separator.
inline constexpr std::size_t kMaxIdChars = 512;

struct InfListedId {
  std::wstring listed;  // as the INF writes it
  std::wstring key;     // lower case (ASCII folding)
  std::uint32_t osMask = 0;
};

struct InfDriverInfo {
  std::wstring date;     // YYYY-MM-DD from DriverVer; empty when it has none
  std::wstring version;  // from DriverVer; may be empty
  std::wstring provider;
  std::wstring className;
  std::wstring catalogFile;
  std::vector<InfListedId> ids;  // in the order first listed, one per key
  std::uint32_t osMask = 0;      // union of the IDs' masks
};

InfDriverInfo ReadInfDriverInfo(const InfFile& inf);

// Reads a DriverVer date ("mm/dd/yyyy", also with "-") as YYYY-MM-DD; empty when
// it is not a real calendar date.
std::wstring ReadInfDate(std::wstring_view text);

}  // namespace velkor::service
