#include "installed_driver.hpp"

#include <windows.h>
#include <setupapi.h>

#include <vector>

#include "base/text.hpp"
#include "platform/unique_handle.hpp"
#include "wine_test_paths.hpp"

namespace velkor::testing {
namespace {

std::vector<wchar_t> DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  DWORD size = 0;
  ::SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
  if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                           size, nullptr)) {
    return {};
  }
  return buffer;
}

bool HasHardwareId(const std::vector<wchar_t>& ids, const std::wstring& wanted) {
  for (const wchar_t* id = ids.data(); !ids.empty() && *id != L'\0'; id += wcslen(id) + 1) {
    if (AsciiEqualsNoCase(id, wanted)) return true;
  }
  return false;
}

std::wstring ClassKeyValue(const std::wstring& driverKey, const wchar_t* name) {
  const std::wstring path = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey;
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return value;
}

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  ::GetWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

}  // namespace

InstalledDriver InstalledDriverFor(const std::wstring& hardwareId) {
  InstalledDriver driver;
  UniqueDevInfo set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
  if (!set) return driver;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set.get(), i, &device); ++i) {
    if (!HasHardwareId(DeviceProperty(set.get(), device, SPDRP_HARDWAREID), hardwareId)) continue;
    const std::vector<wchar_t> key = DeviceProperty(set.get(), device, SPDRP_DRIVER);
    if (!key.empty()) driver.driverKey = key.data();
    break;
  }
  if (driver.driverKey.empty()) return driver;
  driver.infName = ClassKeyValue(driver.driverKey, L"InfPath");
  if (!driver.infName.empty()) driver.infText = ReadBytes(WindowsFolder() + L"\\inf\\" + driver.infName);
  return driver;
}

bool DriverImageInstalled(const std::wstring& imageFileName) {
  return Exists(WindowsFolder() + L"\\system32\\drivers\\" + imageFileName);
}

}  // namespace velkor::testing
