#include "inventory/wmi_query_win.hpp"

#include <objbase.h>
#include <oleauto.h>

#include <mutex>

#include "platform/com_ptr.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// The WMI administrative locator.
constexpr CLSID kWbemAdministrativeLocator = {
    0xCB8555CC, 0x9128, 0x11D1, {0xAD, 0x9B, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

// The process's COM security can be set once: the first query sets it, later
// ones reuse it. Set already by another part of the process is as good.
bool EnsureComSecurity() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    const HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    ok = SUCCEEDED(hr) || hr == RPC_E_TOO_LATE;
  });
  return ok;
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
    ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return ::StartServiceW(service.get(), 0, nullptr) != FALSE;
  }
  if (status.dwCurrentState == SERVICE_PAUSED) {
    SERVICE_STATUS after{};
    return ::ControlService(service.get(), SERVICE_CONTROL_CONTINUE, &after) != FALSE;
  }
  return true;
}

bool RunWmiQuery(const wchar_t* query, const std::function<void(IWbemClassObject& row)>& onRow) {
  const ComApartment apartment;
  if (!EnsureComSecurity()) return false;
  ComPtr<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(kWbemAdministrativeLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IWbemLocator, reinterpret_cast<void**>(locator.put())))) {
    return false;
  }
  ComPtr<IWbemServices> services;
  const UniqueBstr nameSpace(L"root\\cimv2");
  if (FAILED(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.put()))) {
    return false;
  }
  ComPtr<IEnumWbemClassObject> rows;
  const UniqueBstr language(L"WQL");
  const UniqueBstr text(query);
  if (FAILED(services->ExecQuery(language.get(), text.get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, rows.put()))) {
    return false;
  }
  for (;;) {
    ComPtr<IWbemClassObject> row;
    ULONG returned = 0;
    if (rows->Next(static_cast<long>(WBEM_INFINITE), 1, row.put(), &returned) != WBEM_S_NO_ERROR || returned == 0) {
      break;
    }
    onRow(*row.get());
  }
  return true;
}

std::wstring WmiPropertyText(IWbemClassObject& row, const wchar_t* name, std::size_t maxLength) {
  UniqueVariant value;
  if (FAILED(row.Get(name, 0, value.get(), nullptr, nullptr))) return {};
  if (value.get()->vt == VT_NULL || value.get()->vt == VT_EMPTY) return {};
  if (value.get()->vt != VT_BSTR && FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR))) return {};
  const BSTR text = value.get()->bstrVal;
  if (text == nullptr) return {};
  std::wstring out(text, ::SysStringLen(text));
  if (out.size() > maxLength) out.resize(maxLength);
  const std::size_t nul = out.find(L'\0');
  if (nul != std::wstring::npos) out.resize(nul);
  return out;
}

}  // namespace velkor
