#include "service_config_win.hpp"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "network_api.h"
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

// TokenElevation and its record are Vista's; declared here so that the XP
// build can ask for them, and Windows XP answers that it does not know them.
constexpr int kTokenElevationClass = 20;
struct TokenElevationRecord {
  DWORD TokenIsElevated;
};

bool TokenIsLocalSystem(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0 || size > 4096) return false;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return false;
  BYTE system[SECURITY_MAX_SID_SIZE];
  DWORD systemSize = sizeof(system);
  if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize)) return false;
  return EqualSid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, system) != FALSE;
}

class TokenElevation final : public ProcessElevation {
 public:
  bool IsElevatedOrSystem() const override {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
      token.release();
      return true;
    }
    if (TokenIsLocalSystem(token.get())) return true;
    TokenElevationRecord elevation{};
    DWORD size = 0;
    if (GetTokenInformation(token.get(), static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevationClass), &elevation,
                            sizeof(elevation), &size)) {
      return elevation.TokenIsElevated != 0;
    }
    // Windows XP does not know the class: no elevation there. Any other
    // failure leaves the question open, and the narrower answer holds.
    return GetLastError() != ERROR_INVALID_PARAMETER;
  }
};

}  // namespace

const ProcessElevation& ThisProcessElevation() {
  static const TokenElevation elevation;
  return elevation;
}

std::wstring ReadProductSetting(const wchar_t* valueName, const ProcessElevation& elevation) {
  std::wstring value;
  if (!elevation.IsElevatedOrSystem() && ReadString(HKEY_CURRENT_USER, valueName, value) && !value.empty()) {
    return value;
  }
  if (ReadString(HKEY_LOCAL_MACHINE, valueName, value)) return value;
  return {};
}

ServiceAddress ConfiguredServiceAddress(const ProcessElevation& elevation) {
  const std::wstring configured = ReadProductSetting(L"ServiceUrl", elevation);
  if (!configured.empty()) {
    if (auto address = ParseServiceUrl(configured)) return *address;
  }
  return *ParseServiceUrl(kDefaultServiceUrl);
}

bool ChooseServiceAddress(const wchar_t* server, const ProcessElevation& elevation, ServiceAddress& address) {
  address = ConfiguredServiceAddress(elevation);
  if (server == nullptr) return true;
  const size_t length = wcsnlen(server, kServerBufferChars);
  if (length == kServerBufferChars) return false;  // not terminated inside its buffer
  if (length == 0) return true;
  std::wstring host(server, length);
  if (!IsValidHostName(host)) return false;
  if (elevation.IsElevatedOrSystem()) {
    host = ReadProductSetting(L"FallbackHost", elevation);
    if (!IsValidHostName(host)) host = kDefaultFallbackHost;
  }
  address = WithHost(address, host);
  return true;
}

}  // namespace velkor::network
