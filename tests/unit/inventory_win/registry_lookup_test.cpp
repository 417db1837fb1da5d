#include <gtest/gtest.h>

#include "base/text.hpp"
#include "inventory/enum_key_lookup.hpp"
#include "inventory/os_version_code.hpp"
#include "inventory/registry_read_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

TEST(SplitMultiString, StaysInsideTheBuffer) {
  const wchar_t data[] = {L'a', L'b', 0, L'c', 0, 0, L'x', 0};
  EXPECT_EQ(SplitMultiString(data, 8), (std::vector<std::wstring>{L"ab", L"c"}));
  EXPECT_EQ(SplitMultiString(data, 2), (std::vector<std::wstring>{L"ab"}));  // unterminated
  EXPECT_EQ(SplitMultiString(data, 4), (std::vector<std::wstring>{L"ab", L"c"}));
  EXPECT_TRUE(SplitMultiString(data, 0).empty());
}

// The first present device instance Wine lists, with its first hardware ID.
bool FirstInstanceWithHardwareId(std::wstring& path, std::wstring& id) {
  UniqueRegKey pci;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\PCI", 0, KEY_READ,
                      pci.put()) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t device[256];
  DWORD length = 256;
  if (::RegEnumKeyExW(pci.get(), 0, device, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  UniqueRegKey deviceKey;
  if (::RegOpenKeyExW(pci.get(), device, 0, KEY_READ, deviceKey.put()) != ERROR_SUCCESS) return false;
  wchar_t instance[256];
  length = 256;
  if (::RegEnumKeyExW(deviceKey.get(), 0, instance, &length, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  UniqueRegKey instanceKey;
  if (::RegOpenKeyExW(deviceKey.get(), instance, 0, KEY_READ, instanceKey.put()) != ERROR_SUCCESS) {
    return false;
  }
  auto ids = ReadRegMultiString(instanceKey.get(), L"HardwareID");
  if (!ids || ids->empty()) return false;
  path = std::wstring(L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\") + device + L"\\" + instance;
  id = ids->front();
  return true;
}

TEST(LookupEnumKey, FindsTheInstanceKeyByItsFirstHardwareIdInAnyCase) {
  std::wstring path, id;
  ASSERT_TRUE(FirstInstanceWithHardwareId(path, id)) << "Wine's PCI display adapter is missing";
  EXPECT_EQ(LookupEnumKey(AsciiToLower(id)), path);
  EXPECT_EQ(LookupEnumKey(AsciiToUpper(id)), path);
  EnumKeyIndex index;
  EXPECT_EQ(index.Lookup(AsciiToLower(id)), path);
  EXPECT_EQ(index.Lookup(L"pci\\ven_ffff&dev_ffff"), L"");
  EXPECT_EQ(LookupEnumKey(L"pci\\ven_ffff&dev_ffff"), L"");
  EXPECT_EQ(LookupEnumKey(L""), L"");
  EXPECT_EQ(index.Lookup(L""), L"");
}

TEST(GetOSVersionCode, MatchesTheVersionWineReports) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(::GetVersionExW(&info));
#pragma GCC diagnostic pop
  const OsVersionCode os = GetOSVersionCode();
  EXPECT_EQ(os.major, info.dwMajorVersion);
  EXPECT_EQ(os.minor, info.dwMinorVersion);
}

}  // namespace
}  // namespace velkor
