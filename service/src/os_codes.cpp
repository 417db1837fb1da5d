#include "os_codes.hpp"

#include "inventory/os_version_code.hpp"

namespace velkor::service {
namespace {

// A system as an INF models section sees it. Codes that stand for more than one
// system (11: Server 2008 of any processor; -1: Windows 7 and later of either
// common processor) have one row per system; the code is served when any of its
// systems installs from the section. The rows tell no build: see WindowsSystem.
struct OsTarget {
  int code;
  WindowsSystem system;
};

WindowsSystem Row(Arch arch, std::uint32_t major, std::uint32_t minor, std::uint32_t productType,
                  std::uint32_t suite = 0) {
  return MakeWindowsSystem(arch, major, minor, std::nullopt, productType, suite);
}

const OsTarget kTargets[] = {
    {1, Row(Arch::kX86, 4, 10, 1)},    {2, Row(Arch::kX86, 4, 90, 1)},
    {10, Row(Arch::kX86, 4, 0, 1)},    {3, Row(Arch::kX86, 5, 0, 1)},
    {17, Row(Arch::kIa64, 5, 0, 3)},   {4, Row(Arch::kX86, 5, 1, 1)},
    {5, Row(Arch::kX86, 5, 2, 3)},     {7, Row(Arch::kAmd64, 5, 2, 1)},
    {8, Row(Arch::kAmd64, 5, 2, 3)},   {18, Row(Arch::kIa64, 5, 2, 1)},
    {19, Row(Arch::kIa64, 5, 2, 3)},   {6, Row(Arch::kX86, 6, 0, 1)},
    {9, Row(Arch::kAmd64, 6, 0, 1)},   {11, Row(Arch::kX86, 6, 0, 3)},
    {11, Row(Arch::kAmd64, 6, 0, 3)},  {11, Row(Arch::kIa64, 6, 0, 3)},
    {14, Row(Arch::kAmd64, 6, 1, 3, 0x8000)},
    {-1, Row(Arch::kX86, 6, 1, 1)},    {-1, Row(Arch::kAmd64, 6, 1, 1)},
};

const std::vector<int> kCodes = {-1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 17, 18, 19};

}  // namespace

const std::vector<int>& KnownOsCodes() { return kCodes; }

std::uint32_t OsCodeBit(int code) {
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (kCodes[i] == code) return 1u << i;
  }
  return 0;
}

std::uint32_t AllOsCodeBits() { return (1u << kCodes.size()) - 1; }

std::uint32_t OsMaskForRequest(int code) {
  const std::uint32_t bit = OsCodeBit(code);
  return bit ? bit : OsCodeBit(-1);
}

std::vector<int> OsCodesInMask(std::uint32_t mask) {
  std::vector<int> codes;
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (mask & (1u << i)) codes.push_back(kCodes[i]);
  }
  return codes;
}

std::string OsCodesText(std::uint32_t mask) {
  std::string text;
  for (int code : OsCodesInMask(mask)) {
    if (!text.empty()) text += ',';
    text += std::to_string(code);
  }
  return text;
}

ServedSections ServedByManufacturer(const std::vector<OsDecoration>& decorations,
                                    bool undecoratedExists) {
  ServedSections served;
  served.decorated.assign(decorations.size(), 0);
  for (const OsTarget& target : kTargets) {
    const std::uint32_t bit = OsCodeBit(target.code);
    const int section = ChooseModelsSection(decorations, undecoratedExists, target.system);
    if (section >= 0) served.decorated[static_cast<std::size_t>(section)] |= bit;
    else if (section == kUndecoratedSection) served.undecorated |= bit;
  }
  return served;
}

int OsCodeOfSystem(const WindowsSystem& system) {
  OsVersionRecord record;
  record.major = system.major;
  record.minor = system.minor;
  record.platformId = 2;  // only NT systems send their version
  record.productType = system.productType;
  record.suiteMask = system.suiteMask;
  std::uint16_t architecture = 0xFFFF;
  if (system.arch == Arch::kX86) architecture = kArchitectureX86;
  if (system.arch == Arch::kAmd64) architecture = kArchitectureX64;
  if (system.arch == Arch::kIa64) architecture = kArchitectureItanium;
  return OsVersionCodeFor(record, architecture).code;
}

}  // namespace velkor::service
