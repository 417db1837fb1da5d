#pragma once
// The client's OS version codes and which models section of an INF file each of
// those systems installs from. A driver's served systems are kept as a bit mask
// over the codes, so that the catalog answers "does this ID serve osid N" with
// one AND.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "models_choice.hpp"

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

// The mask of codes each models section of one [Manufacturer] entry is
// installed by (the undecorated section and each decoration, in the same order),
// given the decorations whose models sections exist and whether the undecorated
// one exists; see ChooseModelsSection.
struct ServedSections {
  std::uint32_t undecorated = 0;
  std::vector<std::uint32_t> decorated;
};
ServedSections ServedByManufacturer(const std::vector<OsDecoration>& decorations,
                                    bool undecoratedExists);

// The code the client's own table gives the system (so that a package described
// by codes alone can be judged for a system that tells the service its exact
// version).
int OsCodeOfSystem(const WindowsSystem& system);

}  // namespace velkor::service
