#include "service_config_win.hpp"

#include <windows.h>

#include <vector>

#include "platform/unique_handle.hpp"

namespace velkor::network {
namespace {

constexpr wchar_t kProductKey[] = L"software\\VELKOR Brenn\\";
constexpr DWORD kMaxChars = 2048;

bool ReadString(HKEY root, const wchar_t* valueName, std::wstring& value) {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, kProductKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxChars * sizeof(wchar_t)) {
    return false;
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = size;
  if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &read) != ERROR_SUCCESS) {
    return false;
  }
  buffer.back() = L'\0';  // the stored value need not be terminated
  value.assign(buffer.data());
  return true;
}

}  // namespace

std::wstring ReadProductSetting(const wchar_t* valueName) {
  std::wstring value;
  if (ReadString(HKEY_CURRENT_USER, valueName, value) && !value.empty()) return value;
  if (ReadString(HKEY_LOCAL_MACHINE, valueName, value)) return value;
  return {};
}

ServiceAddress ConfiguredServiceAddress() {
  const std::wstring configured = ReadProductSetting(L"ServiceUrl");
  if (!configured.empty()) {
    if (auto address = ParseServiceUrl(configured)) return *address;
  }
  return *ParseServiceUrl(kDefaultServiceUrl);
}

}  // namespace velkor::network
