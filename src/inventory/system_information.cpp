#include "inventory/system_information.hpp"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "base/text.hpp"
#include "core/registry_key.hpp"
#include "core/shell_folders.hpp"
#include "inventory/system_text.hpp"
#include "inventory/wmi_query_win.hpp"

namespace velkor {
namespace {

constexpr wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

std::wstring MachineString(const wchar_t* path, const wchar_t* name) {
  CRegistryKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ, false)) return {};
  return key.ReadString(name).value_or(std::wstring());
}

// Reads an unsigned 64-bit decimal; false when the text holds no digits.
bool ParseUnsigned64(const std::wstring& text, std::uint64_t& value) {
  const std::wstring digits = Trim(text);
  if (digits.empty()) return false;
  std::uint64_t result = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') break;
    const std::uint64_t next = result * 10 + static_cast<std::uint64_t>(c - L'0');
    if (next / 10 != result) return false;  // overflow: not a module size
    result = next;
  }
  value = result;
  return true;
}

}  // namespace

std::wstring GetComputerNameText() {
  wchar_t name[16] = {};
  DWORD size = 16;
  if (!GetComputerNameW(name, &size) || size >= 16) return {};
  return std::wstring(name, size);
}

std::wstring GetOperatingSystemName() { return MachineString(kCurrentVersionKey, L"ProductName"); }
std::wstring GetProcessorName() { return NormaliseSystemText(MachineString(kProcessorKey, L"ProcessorNameString")); }
std::wstring GetModelName() { return NormaliseSystemText(MachineString(kProcessorKey, L"Identifier")); }

std::optional<std::uint64_t> CPhysicalMemoryInfo::TotalBytes() {
  // Only while the management service runs or could be started.
  if (!EnsureWmiServiceRunning()) return std::nullopt;
  std::uint64_t total = 0;
  const bool asked = RunWmiQuery(L"Select * from Win32_PhysicalMemory", [&](IWbemClassObject& row) {
    std::uint64_t bytes = 0;
    if (ParseUnsigned64(WmiPropertyText(row, L"Capacity", 64), bytes)) total += bytes;
  });
  if (!asked) return std::nullopt;
  return total;
}

std::wstring CPhysicalMemoryInfo::TotalText() {
  const auto total = TotalBytes();
  if (!total) return {};
  const std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX);
  return FormatSize(static_cast<std::int64_t>(*total > limit ? limit : *total));
}

bool IsAdministrator() {
  UniqueKernelHandle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_DUPLICATE | TOKEN_QUERY, TRUE, token.put())) {
    if (GetLastError() != ERROR_NO_TOKEN) return false;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, token.put())) return false;
  }
  UniqueKernelHandle impersonation;
  if (!DuplicateToken(token.get(), SecurityImpersonation, impersonation.put())) return false;

  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID raw_sid = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                0, 0, &raw_sid)) {
    return false;
  }
  const std::unique_ptr<void, decltype(&FreeSid)> admins(raw_sid, &FreeSid);

  constexpr DWORD kRead = 1;
  constexpr DWORD kWrite = 2;
  const DWORD acl_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(admins.get()) - sizeof(DWORD);
  std::vector<std::uint8_t> acl_bytes(acl_size);
  auto* acl = reinterpret_cast<PACL>(acl_bytes.data());
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !InitializeAcl(acl, acl_size, ACL_REVISION2) ||
      !AddAccessAllowedAce(acl, ACL_REVISION2, kRead | kWrite, admins.get()) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorGroup(&descriptor, admins.get(), FALSE) ||
      !SetSecurityDescriptorOwner(&descriptor, admins.get(), FALSE) || !IsValidSecurityDescriptor(&descriptor)) {
    return false;
  }
  GENERIC_MAPPING mapping = {kRead, kWrite, 0, kRead | kWrite};
  PRIVILEGE_SET privileges;
  DWORD privileges_size = sizeof(privileges);
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!AccessCheck(&descriptor, impersonation.get(), kRead, &mapping, &privileges, &privileges_size, &granted,
                   &status)) {
    return false;
  }
  return status != FALSE;
}

std::wstring GetAppVersion() {
  const std::wstring module = GetProgramModulePath();
  if (module.empty()) return {};
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(module.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<std::uint8_t> data(size);
  if (!GetFileVersionInfoW(module.c_str(), 0, size, data.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      translation == nullptr || length < sizeof(Translation)) {
    return {};
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"\\StringFileInfo\\%08lx\\%ls",
                static_cast<unsigned long>((static_cast<DWORD>(translation->language) << 16) | translation->codePage),
                L"FileVersion");
  wchar_t* value = nullptr;
  if (!VerQueryValueW(data.data(), name, reinterpret_cast<void**>(&value), &length) || value == nullptr ||
      length == 0) {
    return {};
  }
  // The length counts the terminator; never read past what the resource holds.
  std::wstring text(value, length);
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return text;
}

}  // namespace velkor
