#include "ui/settings_page_rules.hpp"

#include "base/text.hpp"

namespace velkor {

bool AutoScanChecked(std::wstring_view storedText) { return ParseDecimal(storedText) != 0; }

bool SettingsDiffer(const SettingsPageValues& page, const SettingsPageValues& reference) {
  return page.autoScan != reference.autoScan ||
         !AsciiEqualsNoCase(page.downloadFolder, reference.downloadFolder) ||
         !AsciiEqualsNoCase(page.backupFolder, reference.backupFolder);
}

}  // namespace velkor
