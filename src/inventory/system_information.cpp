#include "inventory/system_information.hpp"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "base/text.hpp"
#include "core/registry_key.hpp"
#include "core/shell_folders.hpp"
#include "inventory/system_text.hpp"

namespace velkor {
namespace {

constexpr wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// The WMI administrative locator.
constexpr CLSID kWbemAdministrativeLocator = {
    0xCB8555CC, 0x9128, 0x11D1, {0xAD, 0x9B, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

std::wstring MachineString(const wchar_t* path, const wchar_t* name) {
  CRegistryKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ, false)) return {};
  return key.ReadString(name).value_or(std::wstring());
}

// Releases a COM interface on every path.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** put() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT hr_;
};

class BString {
 public:
  explicit BString(const wchar_t* text) : s_(SysAllocString(text)) {}
  ~BString() { SysFreeString(s_); }
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;
  BSTR get() const { return s_; }

 private:
  BSTR s_;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

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
  const ComApartment apartment;
  const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  // Process security can be set once; when another part of the program has set
  // it already, WMI works with that setting just as well.
  if (FAILED(security) && security != RPC_E_TOO_LATE) return std::nullopt;

  ComRef<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(kWbemAdministrativeLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IWbemLocator, reinterpret_cast<void**>(locator.put())))) {
    return std::nullopt;
  }
  ComRef<IWbemServices> services;
  const BString name_space(L"root\\cimv2");
  if (FAILED(locator->ConnectServer(name_space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.put()))) {
    return std::nullopt;
  }
  ComRef<IEnumWbemClassObject> rows;
  const BString language(L"WQL");
  const BString query(L"Select * from Win32_PhysicalMemory");
  if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, rows.put()))) {
    return std::nullopt;
  }
  std::uint64_t total = 0;
  for (;;) {
    ComRef<IWbemClassObject> row;
    ULONG returned = 0;
    if (rows->Next(static_cast<long>(WBEM_INFINITE), 1, row.put(), &returned) != WBEM_S_NO_ERROR || returned == 0) {
      break;
    }
    Variant capacity;
    if (FAILED(row->Get(L"Capacity", 0, capacity.get(), nullptr, nullptr))) continue;
    if (FAILED(VariantChangeType(capacity.get(), capacity.get(), 0, VT_BSTR)) || capacity.get()->bstrVal == nullptr) {
      continue;
    }
    std::uint64_t bytes = 0;
    if (ParseUnsigned64(std::wstring(capacity.get()->bstrVal, SysStringLen(capacity.get()->bstrVal)), bytes)) {
      total += bytes;
    }
  }
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
