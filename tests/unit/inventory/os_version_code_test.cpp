#include "inventory/os_version_code.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(OsVersionCode, FollowsTheTableOfSystems) {
  constexpr std::uint32_t k9x = 1, kNt = 2, kWs = 1, kDc = 2, kSrv = 3;
  constexpr std::uint16_t x86 = kArchitectureX86, x64 = kArchitectureX64, ia64 = kArchitectureItanium;
  struct Case {
    OsVersionRecord v;
    std::uint16_t arch;
    std::int32_t code;
  };
  const Case cases[] = {
      {{4, 10, k9x, 0, 0}, x86, 1},       {{4, 90, k9x, 0, 0}, x86, 2},
      {{4, 0, k9x, 0, 0}, x86, -1},       {{4, 0, kNt, kWs, 0}, x86, 10},
      {{4, 0, kNt, kSrv, 0x8000}, x86, 10},
      {{5, 0, kNt, kWs, 0}, x86, 3},      {{5, 0, kNt, kSrv, 0}, x64, 3},
      {{5, 0, kNt, kWs, 0}, ia64, 17},    {{5, 1, kNt, kWs, 0}, x86, 4},
      {{5, 1, kNt, kWs, 0}, x64, 4},      {{5, 2, kNt, kWs, 0}, x64, 7},
      {{5, 2, kNt, kWs, 0}, ia64, 18},    {{5, 2, kNt, kSrv, 0}, x64, 8},
      {{5, 2, kNt, kDc, 0}, x64, 8},      {{5, 2, kNt, kSrv, 0}, ia64, 19},
      {{5, 2, kNt, kSrv, 0}, x86, 5},     {{5, 2, kNt, kWs, 0}, x86, 5},
      {{6, 0, kNt, kWs, 0}, x64, 9},      {{6, 0, kNt, kWs, 0}, x86, 6},
      {{6, 0, kNt, kWs, 0}, ia64, 6},     {{6, 0, kNt, kSrv, 0}, x64, 11},
      {{6, 0, kNt, kDc, 0}, x86, 11},     {{6, 1, kNt, kWs, 0}, x64, -1},
      {{6, 1, kNt, kWs, 0x8000}, x64, 14}, {{5, 3, kNt, kSrv, 0x8000}, x86, 14},
      {{4, 1, kNt, kWs, 0}, x86, -1},     {{10, 0, kNt, kWs, 0x100}, x64, -1},
      {{3, 51, kNt, kWs, 0}, x86, -1},    {{5, 1, 3, kWs, 0x8000}, x86, -1},
  };
  for (const Case& c : cases) {
    const OsVersionCode got = OsVersionCodeFor(c.v, c.arch);
    EXPECT_EQ(got.code, c.code) << c.v.major << "." << c.v.minor << " platform " << c.v.platformId
                                << " product " << c.v.productType << " arch " << c.arch;
    EXPECT_EQ(got.major, c.v.major);
    EXPECT_EQ(got.minor, c.v.minor);
  }
}

}  // namespace
}  // namespace velkor
