#include "device_listing.hpp"

#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <vector>

#include "base/text.hpp"
#include "device_properties.hpp"
#include "platform/unique_handle.hpp"

namespace velkor::testmachine {
namespace {

struct ListedDevice {
  std::wstring sort_key;
  std::wstring text;
};

// Line breaks inside a value would start a new line of the format.
std::wstring OneLine(std::wstring_view value) {
  std::wstring line(value);
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return line;
}

}  // namespace

bool ListPresentDevices(std::wstring& text) {
  const UniqueDevInfo set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!set) return false;
  std::vector<ListedDevice> devices;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof(data);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &data); ++index) {
    const std::wstring id = ReadInstanceId(set.get(), data).value_or(L"");
    std::wstring entry = OneLine(id) + L"\n";
    entry += L"  class_guid: " + GuidToText(data.ClassGuid) + L"\n";
    for (const std::wstring& hardware : ReadDeviceTexts(set.get(), data, SPDRP_HARDWAREID)) {
      entry += L"  hardware_id: " + OneLine(hardware) + L"\n";
    }
    for (const std::wstring& compatible : ReadDeviceTexts(set.get(), data, SPDRP_COMPATIBLEIDS)) {
      entry += L"  compatible_id: " + OneLine(compatible) + L"\n";
    }
    const struct {
      DWORD property;
      const wchar_t* label;
    } texts[] = {{SPDRP_FRIENDLYNAME, L"friendly_name"},
                 {SPDRP_DEVICEDESC, L"device_desc"},
                 {SPDRP_SERVICE, L"service"},
                 {SPDRP_DRIVER, L"driver"}};
    for (const auto& property : texts) {
      if (const auto value = ReadDeviceText(set.get(), data, property.property)) {
        entry += std::wstring(L"  ") + property.label + L": " + OneLine(*value) + L"\n";
      }
    }
    devices.push_back({AsciiToLower(id), std::move(entry)});
  }
  std::stable_sort(devices.begin(), devices.end(),
                   [](const ListedDevice& a, const ListedDevice& b) { return a.sort_key < b.sort_key; });
  text.clear();
  for (const ListedDevice& device : devices) text += device.text + L"\n";
  return true;
}

}  // namespace velkor::testmachine
