#include "inventory/signed_driver_table.hpp"

#include <windows.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <mutex>

#include "platform/com_ptr.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// Texts longer than this are no device name or signer; they are cut.
constexpr std::size_t kMaxSignerText = 1024;

// Owns a BSTR.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : value_(::SysAllocString(text)) {}
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

// Owns a VARIANT.
class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

// The process's COM security is set once; later scans reuse it.
bool EnsureComSecurity() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    const HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr,
                                              RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                              nullptr, EOAC_NONE, nullptr);
    // Already set by someone else in this process is as good as set by us.
    ok = SUCCEEDED(hr) || hr == RPC_E_TOO_LATE;
  });
  return ok;
}

std::wstring PropertyText(IWbemClassObject* row, const wchar_t* name) {
  Variant value;
  if (FAILED(row->Get(name, 0, value.get(), nullptr, nullptr))) return {};
  if (value.get()->vt == VT_NULL || value.get()->vt == VT_EMPTY) return {};
  if (value.get()->vt != VT_BSTR &&
      FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR))) {
    return {};
  }
  const BSTR text = value.get()->bstrVal;
  if (text == nullptr) return {};
  std::wstring out(text, ::SysStringLen(text));
  if (out.size() > kMaxSignerText) out.resize(kMaxSignerText);
  const std::size_t nul = out.find(L'\0');
  if (nul != std::wstring::npos) out.resize(nul);
  return out;
}

}  // namespace

bool EnsureWmiServiceRunning() {
  UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return false;
  UniqueServiceHandle service(::OpenServiceW(manager.get(), L"winmgmt", SERVICE_ALL_ACCESS));
  if (!service) return false;
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(service.get(), &status)) return false;
  if (status.dwCurrentState == SERVICE_STOPPED) {
    ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return ::StartServiceW(service.get(), 0, nullptr) != FALSE;
  }
  if (status.dwCurrentState == SERVICE_PAUSED) {
    SERVICE_STATUS after{};
    return ::ControlService(service.get(), SERVICE_CONTROL_CONTINUE, &after) != FALSE;
  }
  return true;
}

bool LoadSignedDriverTable(SignerTable& table) {
  if (!EnsureWmiServiceRunning()) return false;
  if (!EnsureComSecurity()) return false;

  ComPtr<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.put())))) {
    return false;
  }
  ComPtr<IWbemServices> services;
  const Bstr space(L"root\\cimv2");
  if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.put()))) {
    return false;
  }
  ComPtr<IEnumWbemClassObject> rows;
  const Bstr language(L"WQL");
  const Bstr query(L"Select * from Win32_PnPSignedDriver");
  if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 rows.put()))) {
    return false;
  }

  table.Clear();
  for (;;) {
    ComPtr<IWbemClassObject> row;
    ULONG returned = 0;
    if (rows->Next(WBEM_INFINITE, 1, row.put(), &returned) != WBEM_S_NO_ERROR || returned == 0) break;
    SignerRow entry{PropertyText(row.get(), L"DeviceName"), PropertyText(row.get(), L"Signer"),
                    PropertyText(row.get(), L"FriendlyName")};
    // Past the table's capacity the remaining rows are read and dropped, so
    // the query still completes normally.
    table.Add(std::move(entry));
  }
  return table.Count() > 0;
}

}  // namespace velkor
