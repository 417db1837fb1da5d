#include "core/registry_key.hpp"

#include <vector>

namespace velkor {

bool CRegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access, bool create) {
  key_.reset();
  const bool read_only = (access & ~(KEY_READ | KEY_WOW64_64KEY | KEY_WOW64_32KEY)) == 0;
  if (create && !read_only) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           key_.put(), nullptr) == ERROR_SUCCESS;
  }
  return RegOpenKeyExW(root, path.c_str(), 0, access, key_.put()) == ERROR_SUCCESS;
}

bool CRegistryKey::ValueExists(const wchar_t* name) const {
  return key_ && RegQueryValueExW(key_.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::wstring> CRegistryKey::ReadString(const wchar_t* name) const {
  if (!key_) return std::nullopt;
  for (int attempt = 0; attempt < 3; ++attempt) {  // the value may grow between the calls
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    if (size > kRegistryStringLimit) return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LONG rc = RegQueryValueExW(key_.get(), name, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    // Stored strings need not end in a zero, and may hold one early: stop there.
    std::size_t units = got / sizeof(wchar_t);
    if (units > buffer.size()) units = buffer.size();
    std::wstring text(buffer.data(), units);
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> CRegistryKey::ReadDword(const wchar_t* name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return std::nullopt;
  }
  return value;
}

bool CRegistryKey::WriteString(const wchar_t* name, const std::wstring& text) {
  if (!key_) return false;
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool CRegistryKey::WriteDword(const wchar_t* name, std::uint32_t value) {
  if (!key_) return false;
  const DWORD v = value;
  return RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v)) ==
         ERROR_SUCCESS;
}

}  // namespace velkor
