#include "device_setup.hpp"

#include <windows.h>
#include <newdev.h>
#include <setupapi.h>

#include <array>

#include "device_properties.hpp"
#include "platform/unique_handle.hpp"
#include "registry_values.hpp"

namespace velkor::testmachine {
namespace {

struct OpenedDevice {
  UniqueDevInfo set;
  SP_DEVINFO_DATA data{};
};

// The class-key values that a driver installation leaves and the description
// sets, with the description member that holds each.
struct DriverValue {
  const wchar_t* name;
  std::optional<std::wstring> DriverDescription::*member;
};
constexpr std::array<DriverValue, 7> kDriverValues = {{
    {L"InfPath", &DriverDescription::inf_path},
    {L"InfSection", &DriverDescription::inf_section},
    {L"InfSectionExt", &DriverDescription::inf_section_ext},
    {L"DriverVersion", &DriverDescription::version},
    {L"DriverDate", &DriverDescription::date},
    {L"ProviderName", &DriverDescription::provider},
    {L"MatchingDeviceId", &DriverDescription::matching_device_id},
}};

// Opens the device with this instance ID, present or not; false when there is none.
bool OpenDevice(const std::wstring& instance_id, OpenedDevice& device) {
  device.set.reset(SetupDiCreateDeviceInfoList(nullptr, nullptr));
  if (!device.set) return false;
  device.data = {};
  device.data.cbSize = sizeof(device.data);
  return SetupDiOpenDeviceInfoW(device.set.get(), instance_id.c_str(), nullptr, 0, &device.data) != FALSE;
}

// SetupDiOpenDevRegKey reports failure as INVALID_HANDLE_VALUE, not NULL.
UniqueRegKey OwnKey(HKEY key) { return UniqueRegKey(key == INVALID_HANDLE_VALUE ? nullptr : key); }

UniqueRegKey OpenDriverKey(OpenedDevice& device) {
  return OwnKey(SetupDiOpenDevRegKey(device.set.get(), &device.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV,
                                     KEY_READ | KEY_WRITE));
}

std::wstring Failed(const wchar_t* what) { return std::wstring(what) + L": " + ErrorText(GetLastError()); }

bool WriteProperties(const DeviceDescription& device, OpenedDevice& opened, std::wstring& error) {
  struct Property {
    DWORD id;
    const wchar_t* name;
    const std::optional<std::wstring>* text;
  };
  if (!WriteDeviceTexts(opened.set.get(), opened.data, SPDRP_HARDWAREID, device.hardware_ids)) {
    error = Failed(L"cannot set the hardware IDs");
    return false;
  }
  if (!WriteDeviceTexts(opened.set.get(), opened.data, SPDRP_COMPATIBLEIDS, device.compatible_ids)) {
    error = Failed(L"cannot set the compatible IDs");
    return false;
  }
  const Property texts[] = {
      {SPDRP_FRIENDLYNAME, L"friendly name", &device.friendly_name},
      {SPDRP_DEVICEDESC, L"device description", &device.device_desc},
      {SPDRP_SERVICE, L"service", &device.service},
  };
  for (const Property& property : texts) {
    if (!WriteDeviceText(opened.set.get(), opened.data, property.id, *property.text)) {
      error = Failed((std::wstring(L"cannot set the ") + property.name).c_str());
      return false;
    }
  }
  return true;
}

// A device described anew starts from a clean driver key: what the class key
// holds afterwards is what this run's installation and description put there.
void ClearDriverValues(OpenedDevice& device) {
  const UniqueRegKey key = OpenDriverKey(device);
  if (!key) return;
  for (const DriverValue& value : kDriverValues) DeleteRegistryValue(key.get(), value.name);
}

}  // namespace

bool ApplyDevice(const DeviceDescription& device, std::wstring& error) {
  GUID class_guid{};
  if (!GuidFromText(device.class_guid, class_guid)) {
    error = L"bad class GUID " + device.class_guid;
    return false;
  }
  OpenedDevice opened;
  bool exists = OpenDevice(device.instance_id, opened);
  if (exists && !IsEqualGUID(opened.data.ClassGuid, class_guid)) {
    // Another class: the old device node goes, with its driver key.
    if (!SetupDiRemoveDevice(opened.set.get(), &opened.data)) {
      error = Failed(L"cannot remove the device of the old class");
      return false;
    }
    exists = false;
  }
  if (exists) {
    ClearDriverValues(opened);
  } else {
    opened.set.reset(SetupDiCreateDeviceInfoList(&class_guid, nullptr));
    if (!opened.set) {
      error = Failed(L"cannot make a device list");
      return false;
    }
    opened.data = {};
    opened.data.cbSize = sizeof(opened.data);
    if (!SetupDiCreateDeviceInfoW(opened.set.get(), device.instance_id.c_str(), &class_guid,
                                  device.device_desc ? device.device_desc->c_str() : nullptr, nullptr, 0,
                                  &opened.data)) {
      error = Failed(L"cannot create the device");
      return false;
    }
  }
  if (!WriteProperties(device, opened, error)) return false;
  // Registering makes the device present. A device of an earlier run is
  // registered already; the call then changes nothing and may report so.
  if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, opened.set.get(), &opened.data) && !exists) {
    error = Failed(L"cannot register the device");
    return false;
  }
  return true;
}

bool InstallDriverPackage(const DeviceDescription& device, const std::wstring& inf_path, std::wstring& error) {
  if (GetFileAttributesW(inf_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = L"driver package " + inf_path + L" not found";
    return false;
  }
  BOOL reboot = FALSE;
  if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, device.hardware_ids.front().c_str(), inf_path.c_str(),
                                          INSTALLFLAG_FORCE | INSTALLFLAG_NONINTERACTIVE, &reboot)) {
    error = Failed((L"cannot install " + inf_path).c_str());
    return false;
  }
  return true;
}

bool ApplyDriverValues(const DeviceDescription& device, std::wstring& error) {
  OpenedDevice opened;
  if (!OpenDevice(device.instance_id, opened)) {
    error = Failed(L"cannot open the device");
    return false;
  }
  if (!device.driver) {
    // No driver: no driver key, and so no Driver property either.
    if (UniqueRegKey key = OpenDriverKey(opened)) {
      key.reset();
      if (!SetupDiDeleteDevRegKey(opened.set.get(), &opened.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV)) {
        error = Failed(L"cannot remove the driver key");
        return false;
      }
    }
    return true;
  }
  UniqueRegKey key = OpenDriverKey(opened);
  if (!key) {
    key = OwnKey(SetupDiCreateDevRegKeyW(opened.set.get(), &opened.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV,
                                         nullptr, nullptr));
  }
  if (!key) {
    error = Failed(L"cannot create the driver key");
    return false;
  }
  for (const DriverValue& value : kDriverValues) {
    const std::optional<std::wstring>& text = (*device.driver).*value.member;
    if (text && !WriteRegistryText(key.get(), value.name, *text)) {
      error = std::wstring(L"cannot write the driver key value ") + value.name;
      return false;
    }
  }
  return true;
}

bool ApplyClassDescription(const DeviceDescription& device, std::wstring& error) {
  if (!device.class_description && !device.class_name) return true;
  const std::wstring path = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + device.class_guid;
  UniqueRegKey key;
  const LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                      nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    error = L"cannot open the class key " + path + L": " + ErrorText(static_cast<DWORD>(status));
    return false;
  }
  const std::optional<std::wstring> known = ReadRegistryText(key.get(), nullptr);
  if (known && !known->empty()) return true;
  if (device.class_description && !WriteRegistryText(key.get(), nullptr, *device.class_description)) {
    error = L"cannot write the class description of " + device.class_guid;
    return false;
  }
  if (device.class_name && !ReadRegistryText(key.get(), L"Class") &&
      !WriteRegistryText(key.get(), L"Class", *device.class_name)) {
    error = L"cannot write the class name of " + device.class_guid;
    return false;
  }
  return true;
}

}  // namespace velkor::testmachine
