#pragma once
// The OS version code the update service knows systems by, worked out from the
// system's version record and the native processor architecture.

#include <cstdint>

namespace velkor {

struct OsVersionRecord {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t platformId = 0;   // 1 = Windows 9x family, 2 = NT family
  std::uint32_t productType = 0;  // 1 = workstation, 2 = domain controller, 3 = server
  std::uint32_t suiteMask = 0;
};

// Native processor architecture, as the system information reports it.
inline constexpr std::uint16_t kArchitectureX86 = 0;
inline constexpr std::uint16_t kArchitectureItanium = 6;
inline constexpr std::uint16_t kArchitectureX64 = 9;

struct OsVersionCode {
  std::int32_t code = -1;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// The codes: 1 = 98, 2 = Me, 3 = 2000, 4 = XP, 5 = Server 2003 (x86), 6 = Vista
// (32-bit), 7 = XP x64, 8 = Server 2003 x64, 9 = Vista x64, 10 = NT 4.0,
// 11 = Server 2008, 14 = Home Server, 17 = 2000 on Itanium, 18 and 19 = the 5.2
// editions on Itanium; -1 for everything the service has no code for.
OsVersionCode OsVersionCodeFor(const OsVersionRecord& version, std::uint16_t architecture);

// This system's code (reads the version record and the native architecture).
OsVersionCode GetOSVersionCode();

}  // namespace velkor
