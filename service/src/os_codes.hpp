#pragma once
// The client's OS version codes and which models section of an INF file each of
// those systems installs from. A driver's served systems are kept as a bit mask
// over the codes, so that the catalog answers "does this ID serve osid N" with
// one AND.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

// Codes the client sends: 1 2 3 4 5 6 7 8 9 10 11 14 17 18 19, and -1 for any
// system its table does not name (Windows 7 and later among them).
const std::vector<int>& KnownOsCodes();

// The bit of a known code; 0 for any other number.
std::uint32_t OsCodeBit(int code);

// Every known code's bit.
std::uint32_t AllOsCodeBits();

// The mask a request's osid selects: a code the client's table does not have is
// read as -1, the client's own "any other system".
std::uint32_t OsMaskForRequest(int code);

// Known codes whose bit is set, in KnownOsCodes() order.
std::vector<int> OsCodesInMask(std::uint32_t mask);
// The same as decimal text joined by ",", for people reading the catalog.
std::string OsCodesText(std::uint32_t mask);

// One TargetOSVersion decoration of a [Manufacturer] entry:
// NT[arch][.major[.minor[.productType[.suiteMask[.build]]]]].
struct OsDecoration {
  std::wstring text;   // as written, for naming the models section
  std::wstring arch;   // lower case; empty = every NT architecture
  int major = 0;
  int minor = 0;
  int productType = 0;  // 0 = any
  std::uint32_t suiteMask = 0;
};

// False for text that is not an NT decoration (those sections are never used by
// the systems the client runs on).
bool ParseOsDecoration(std::wstring_view text, OsDecoration& out);

// Given the decorations of one manufacturer entry whose models sections exist,
// and whether its undecorated section exists, returns the mask of codes served by
// the undecorated section and by each decoration (same order as decorations).
// Each system takes the most specific matching decoration; x86 systems fall back
// to the undecorated section, 64-bit systems never do, and systems older than
// Windows XP read only the undecorated section.
struct ServedSections {
  std::uint32_t undecorated = 0;
  std::vector<std::uint32_t> decorated;
};
ServedSections ServedByManufacturer(const std::vector<OsDecoration>& decorations,
                                    bool undecoratedExists);

}  // namespace velkor::service
