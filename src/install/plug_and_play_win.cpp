#include "install/plug_and_play_win.hpp"

#include <setupapi.h>

#include <vector>

#include "base/text.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// A multi-string property in the two-call pattern; empty when the device has
// none or it is not a multi-string.
std::vector<wchar_t> MultiStringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  DWORD type = 0;
  DWORD size = 0;
  ::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, nullptr, 0, &size);
  if (size == 0 || size > 65536) return {};
  // Two extra terminators: the list is read up to an empty string even when
  // the stored value lacks its own.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
  if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                           size, nullptr) ||
      type != REG_MULTI_SZ) {
    return {};
  }
  return buffer;
}

bool ListHas(const std::vector<wchar_t>& list, const std::wstring& id) {
  if (list.empty()) return false;
  for (const wchar_t* entry = list.data(); *entry != L'\0'; entry += wcslen(entry) + 1) {
    if (AsciiEqualsNoCase(entry, id)) return true;
  }
  return false;
}

}  // namespace

bool PresentDeviceHasId(const std::wstring& id) {
  UniqueDevInfo set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
  if (!set) return false;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set.get(), i, &device); ++i) {
    if (ListHas(MultiStringProperty(set.get(), device, SPDRP_HARDWAREID), id) ||
        ListHas(MultiStringProperty(set.get(), device, SPDRP_COMPATIBLEIDS), id)) {
      return true;
    }
  }
  return false;
}

PlugAndPlayInstaller::PlugAndPlayInstaller()
    : newdev_(LoadSystemLibrary(L"newdev.dll")),
      update_(LibraryFunction<UpdateFn>(newdev_, "UpdateDriverForPlugAndPlayDevicesW")) {}

bool PlugAndPlayInstaller::Update(const std::wstring& hardwareId, const std::wstring& infPath, DWORD flags,
                                  bool& restartNeeded, DWORD& error) const {
  restartNeeded = false;
  if (update_ == nullptr) {
    error = ERROR_PROC_NOT_FOUND;
    return false;
  }
  const DWORD attributes = ::GetFileAttributesW(infPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (!PresentDeviceHasId(hardwareId)) {
    error = ERROR_NO_SUCH_DEVINST;
    return false;
  }
  BOOL reboot = FALSE;
  if (!update_(nullptr, hardwareId.c_str(), infPath.c_str(), flags, &reboot)) {
    error = ::GetLastError();
    return false;
  }
  error = ERROR_SUCCESS;
  restartNeeded = reboot != FALSE;
  return true;
}

}  // namespace velkor
