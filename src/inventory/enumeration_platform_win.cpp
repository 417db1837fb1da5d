#include "inventory/enumeration_platform_win.hpp"

#include <objbase.h>

#include <algorithm>
#include <vector>

#include "inventory/image_company.hpp"
#include "inventory/registry_read_win.hpp"
#include "inventory/signed_driver_table.hpp"

namespace velkor {
namespace {

// Property buffers: a property that does not fit is treated as unreadable.
constexpr DWORD kPropertyBufferBytes = 1024;
constexpr DWORD kClassDescriptionChars = 260;
constexpr int kDateChars = 255;

DWORD PropertyCode(DeviceProperty which) {
  switch (which) {
    case DeviceProperty::FriendlyName: return SPDRP_FRIENDLYNAME;
    case DeviceProperty::DeviceDescription: return SPDRP_DEVICEDESC;
    case DeviceProperty::HardwareId: return SPDRP_HARDWAREID;
    case DeviceProperty::Service: return SPDRP_SERVICE;
    case DeviceProperty::Driver: return SPDRP_DRIVER;
  }
  return SPDRP_DEVICEDESC;
}

UniqueRegKey OpenMachineKey(const std::wstring& path) {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

std::wstring ShortDate(const FILETIME& time) {
  SYSTEMTIME system{};
  if (!::FileTimeToSystemTime(&time, &system)) return {};
  wchar_t text[kDateChars] = {};
  if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, text, kDateChars) == 0) {
    return {};
  }
  text[kDateChars - 1] = L'\0';
  return text;
}

}  // namespace

WinEnumerationPlatform::WinEnumerationPlatform() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) windowsFolder_.assign(folder, length);
  while (!windowsFolder_.empty() && windowsFolder_.back() == L'\\') windowsFolder_.pop_back();
}

WinEnumerationPlatform::~WinEnumerationPlatform() {
  CloseDeviceSet();
  if (comInitialised_) ::CoUninitialize();
}

bool WinEnumerationPlatform::OpenDeviceSet() {
  if (!comInitialised_) comInitialised_ = SUCCEEDED(::CoInitialize(nullptr));
  CloseDeviceSet();
  devices_.reset(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  return static_cast<bool>(devices_);
}

SP_DEVINFO_DATA* WinEnumerationPlatform::Device(std::size_t index) {
  if (!devices_ || index > 0xFFFFFFFEu) return nullptr;
  if (index == cachedIndex_) return &cached_;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof(data);
  if (!::SetupDiEnumDeviceInfo(devices_.get(), static_cast<DWORD>(index), &data)) return nullptr;
  cached_ = data;
  cachedIndex_ = index;
  return &cached_;
}

bool WinEnumerationPlatform::DeviceExists(std::size_t index) { return Device(index) != nullptr; }

std::wstring WinEnumerationPlatform::ClassDescription(std::size_t index) {
  SP_DEVINFO_DATA* device = Device(index);
  if (device == nullptr) return {};
  wchar_t text[kClassDescriptionChars] = {};
  if (!::SetupDiGetClassDescriptionW(&device->ClassGuid, text, kClassDescriptionChars, nullptr)) {
    return {};
  }
  text[kClassDescriptionChars - 1] = L'\0';
  return text;
}

std::optional<FirstCompatibleDriver> WinEnumerationPlatform::FirstDriver(std::size_t index) {
  SP_DEVINFO_DATA* device = Device(index);
  if (device == nullptr) return std::nullopt;
  if (!::SetupDiBuildDriverInfoList(devices_.get(), device, SPDIT_COMPATDRIVER)) return std::nullopt;
  driverLists_.push_back(index);
  SP_DRVINFO_DATA_W driver{};
  driver.cbSize = sizeof(driver);
  if (!::SetupDiEnumDriverInfoW(devices_.get(), device, SPDIT_COMPATDRIVER, 0, &driver)) {
    return std::nullopt;
  }
  FirstCompatibleDriver out;
  // Room for the fixed part and a few bytes of the ID list: the list almost
  // never fits, so the query reports failure with the fixed part filled in,
  // and the driver's date is then taken (the same on 32- and 64-bit builds).
  std::vector<std::uint64_t> storage((sizeof(SP_DRVINFO_DETAIL_DATA_W) + 4 + 7) / 8, 0);
  auto* detail = reinterpret_cast<SP_DRVINFO_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_W);
  const DWORD bytes = static_cast<DWORD>(storage.size() * sizeof(std::uint64_t));
  const BOOL ok = ::SetupDiGetDriverInfoDetailW(devices_.get(), device, &driver, detail, bytes, nullptr);
  const bool filled = ok || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  out.detailReportedFailure = !ok;
  if (out.detailReportedFailure) out.shortDate = ShortDate(driver.DriverDate);
  if (filled) {
    detail->InfFileName[MAX_PATH - 1] = L'\0';
    out.infFileName = detail->InfFileName;
  }
  driver.ProviderName[LINE_LEN - 1] = L'\0';
  out.provider = driver.ProviderName;
  return out;
}

std::optional<std::wstring> WinEnumerationPlatform::Property(std::size_t index, DeviceProperty which) {
  SP_DEVINFO_DATA* device = Device(index);
  if (device == nullptr) return std::nullopt;
  wchar_t buffer[kPropertyBufferBytes / sizeof(wchar_t)] = {};
  DWORD type = 0;
  DWORD needed = 0;
  if (!::SetupDiGetDeviceRegistryPropertyW(devices_.get(), device, PropertyCode(which), &type,
                                           reinterpret_cast<BYTE*>(buffer), kPropertyBufferBytes,
                                           &needed)) {
    return std::nullopt;
  }
  if (type != REG_SZ && type != REG_MULTI_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  const std::size_t units = std::min<std::size_t>(needed, kPropertyBufferBytes) / sizeof(wchar_t);
  const std::vector<std::wstring> strings = SplitMultiString(buffer, units);
  if (strings.empty()) return std::wstring();
  return strings.front();
}

void WinEnumerationPlatform::CloseDeviceSet() {
  if (devices_) {
    for (std::size_t index : driverLists_) {
      SP_DEVINFO_DATA data{};
      data.cbSize = sizeof(data);
      if (::SetupDiEnumDeviceInfo(devices_.get(), static_cast<DWORD>(index), &data)) {
        ::SetupDiDestroyDriverInfoList(devices_.get(), &data, SPDIT_COMPATDRIVER);
      }
    }
  }
  driverLists_.clear();
  devices_.reset();
  cachedIndex_ = static_cast<std::size_t>(-1);
}

std::optional<std::wstring> WinEnumerationPlatform::ReadMachineString(const std::wstring& keyPath,
                                                                      const std::wstring& valueName) {
  UniqueRegKey key = OpenMachineKey(keyPath);
  if (!key) return std::nullopt;
  return ReadRegString(key.get(), valueName.c_str());
}

std::vector<std::wstring> WinEnumerationPlatform::ReadMachineMultiString(const std::wstring& keyPath,
                                                                         const std::wstring& valueName) {
  UniqueRegKey key = OpenMachineKey(keyPath);
  if (!key) return {};
  auto strings = ReadRegMultiString(key.get(), valueName.c_str());
  return strings ? std::move(*strings) : std::vector<std::wstring>();
}

bool WinEnumerationPlatform::FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WinEnumerationPlatform::WindowsFolder() { return windowsFolder_; }

std::wstring WinEnumerationPlatform::LookupEnumKey(const std::wstring& id) {
  return enumKeys_.Lookup(id);
}

bool WinEnumerationPlatform::LoadSignedDriverTable(SignerTable& table) {
  return velkor::LoadSignedDriverTable(table);
}

std::wstring WinEnumerationPlatform::GetImageCompanyName(const std::wstring& service) {
  return velkor::GetImageCompanyName(windowsFolder_, service);
}

OsVersionCode WinEnumerationPlatform::OsVersion() { return GetOSVersionCode(); }

}  // namespace velkor
