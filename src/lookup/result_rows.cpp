#include "lookup/result_rows.hpp"

#include "base/text.hpp"

namespace velkor {

std::wstring ShownDeviceName(const std::wstring& name) {
  if (name.size() <= kShownNameLimit) return name;
  return name.substr(0, kShownNameCut) + L"...";
}

ResultRows BuildResultRows(const std::vector<std::wstring>& updateList, const RecordTable* updates,
                           bool scanEnded, std::int32_t updateCount, const PackageReadyTest& packageReady) {
  ResultRows result;
  if (!scanEnded || updateCount < 1) return result;

  std::wstring category;
  bool categoryDue = false;
  int row = 0;
  for (const std::wstring& entry : updateList) {
    const std::size_t first = entry.find(L'|');
    const std::size_t last = entry.rfind(L'|');
    // Every entry the answer reader writes has its separators; anything else
    // is not a device.
    if (first == std::wstring::npos) continue;

    std::wstring entryCategory = Trim(std::wstring_view(entry).substr(0, first));
    if (!AsciiEqualsNoCase(entryCategory, category)) {
      category = std::move(entryCategory);
      categoryDue = true;
    }
    const std::wstring name =
        last > first ? Trim(std::wstring_view(entry).substr(first + 1, last - first - 1)) : std::wstring();
    const std::int32_t device = ParseDecimal(Trim(std::wstring_view(entry).substr(last + 1)));
    if (device == -1) continue;

    if (!result.shownDevices.empty()) result.shownDevices += L"|";
    result.shownDevices += std::to_wstring(device);

    const DeviceRecord* update = updates != nullptr ? updates->Slot(device) : nullptr;
    if (update == nullptr || update->HardwareId.empty()) continue;

    if (categoryDue) {
      result.rows.push_back({kRowCategory, category, device});
      ++row;
      categoryDue = false;
    }
    const bool ready = packageReady && packageReady(*update);
    result.rows.push_back({ready ? kRowInstall : kRowDownload, ShownDeviceName(name), device});
    result.rowToDevice.emplace(std::to_wstring(row), std::to_wstring(device));
    ++row;
  }
  return result;
}

}  // namespace velkor
