#pragma once
// When the settings page's Apply and Default buttons are enabled: the page holds
// a local copy of the three settings, and each button is enabled exactly when
// that copy differs from what the button would write.

#include <string>
#include <string_view>

namespace velkor {

// The page's three values, or a stored set of them.
struct SettingsPageValues {
  bool autoScan = false;
  std::wstring downloadFolder;
  std::wstring backupFolder;
};

// Reads the stored scan-at-start text as the page's check box does: a decimal
// number, non-zero means checked; empty or not a number means unchecked.
bool AutoScanChecked(std::wstring_view storedText);

// The page differs from `reference` when the box differs or either folder
// differs; folders are compared without regard to case (Windows paths are).
bool SettingsDiffer(const SettingsPageValues& page, const SettingsPageValues& reference);

}  // namespace velkor
