#include "windows_version.hpp"

#include <windows.h>

#include "device_properties.hpp"
#include "platform/unique_handle.hpp"
#include "registry_values.hpp"

namespace velkor::testmachine {

bool SetReportedWindowsVersion(const std::wstring& name, std::wstring& error) {
  UniqueRegKey key;
  const LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_WRITE, nullptr,
                                      key.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    error = L"cannot open HKCU\\Software\\Wine: " + ErrorText(static_cast<DWORD>(status));
    return false;
  }
  if (!WriteRegistryText(key.get(), L"Version", name)) {
    error = L"cannot write HKCU\\Software\\Wine Version";
    return false;
  }
  return true;
}

}  // namespace velkor::testmachine
