// The scan request: every listed device with its number, the OS, the date of
// its installed driver and the IDs under which a driver for it can be found.

#include <algorithm>
#include <string>

#include "base/text.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor {
namespace {

// The hardware ID, its revision-free form, then the driver's matching ID and
// the compatible IDs as enumeration stored them.
std::wstring RequestIdList(const DeviceRecord& device) {
  if (device.HardwareId.empty() && device.MatchingIds.empty()) return {};
  std::wstring base = AsciiToLower(device.HardwareId);
  if (!base.starts_with(L"rev_")) {
    const size_t rev = base.find(L"&rev_");
    base = rev == std::wstring::npos ? std::wstring() : base.substr(0, rev);
  }
  std::wstring list = device.HardwareId;
  if (!base.empty()) list += L"|" + base;
  list += L"|";
  list += device.MatchingIds;
  return list;
}

}  // namespace

std::wstring ConvertDriverDate(std::wstring_view text) {
  const size_t lastDash = text.rfind(L'-');
  const std::wstring_view year = lastDash == std::wstring_view::npos ? text : text.substr(lastDash + 1);
  const std::wstring_view rest = lastDash == std::wstring_view::npos ? std::wstring_view() : text.substr(0, lastDash);
  const size_t middleDash = rest.rfind(L'-');
  std::wstring month;
  std::wstring day;
  if (middleDash != std::wstring_view::npos) {
    month = rest.substr(0, middleDash);
    day = rest.substr(middleDash + 1);
  }
  if (month.size() == 1) month.insert(0, 1, L'0');
  if (day.size() == 1) day.insert(0, 1, L'0');
  std::wstring out(year);
  out += L'-';
  out += month;
  out += L'-';
  out += day;
  return out;
}

void CXml::BuildScanRequest(const RecordTable& devices, std::int32_t deviceCount,
                            std::int32_t osVersionCode, CMarkup& document) const {
  const std::wstring code = std::to_wstring(osVersionCode);
  document.LoadDocument();
  document.AppendElement(L"newdataset");
  const std::int64_t count = std::clamp<std::int64_t>(deviceCount, 0, static_cast<std::int64_t>(devices.Capacity()));
  for (std::int64_t n = 0; n < count; ++n) {
    const DeviceRecord& device = devices[static_cast<size_t>(n)];
    if (device.Name.empty()) continue;
    const std::wstring date = device.DriverDate.empty() ? std::wstring() : ConvertDriverDate(device.DriverDate);
    const std::wstring ids = RequestIdList(device);
    // Numbers are never compacted: a skipped device leaves a gap.
    if (ids.empty()) continue;
    document.AppendChild(L"device");
    document.EnterChild();
    document.AppendChild(L"driverid", std::to_wstring(n));
    document.AppendChild(L"osid", code);
    document.AppendChild(L"date", date);
    document.AppendChild(L"matchingid", ids);
    document.LeaveToParent();
  }
}

}  // namespace velkor
