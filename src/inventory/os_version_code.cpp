#include "inventory/os_version_code.hpp"

namespace velkor {
namespace {

constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint32_t kWorkstation = 1;
constexpr std::uint32_t kHomeServerSuite = 0x8000;

std::int32_t CodeFor(const OsVersionRecord& v, std::uint16_t arch) {
  if (v.platformId == kPlatform9x) {
    if (v.major == 4 && v.minor == 10) return 1;
    if (v.major == 4 && v.minor == 90) return 2;
    return -1;
  }
  if (v.platformId != kPlatformNt) return -1;
  const bool workstation = v.productType == kWorkstation;
  if (v.major == 4 && v.minor == 0) return 10;
  if (v.major == 5 && v.minor == 0) return arch == kArchitectureItanium ? 17 : 3;
  if (v.major == 5 && v.minor == 1) return 4;
  if (v.major == 5 && v.minor == 2) {
    if (arch == kArchitectureX64) return workstation ? 7 : 8;
    if (arch == kArchitectureItanium) return workstation ? 18 : 19;
    return 5;
  }
  if (v.major == 6 && v.minor == 0) {
    if (!workstation) return 11;
    return arch == kArchitectureX64 ? 9 : 6;
  }
  return (v.suiteMask & kHomeServerSuite) != 0 ? 14 : -1;
}

}  // namespace

OsVersionCode OsVersionCodeFor(const OsVersionRecord& version, std::uint16_t architecture) {
  return {CodeFor(version, architecture), version.major, version.minor};
}

}  // namespace velkor
