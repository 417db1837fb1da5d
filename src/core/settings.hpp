#pragma once
// The user's settings, kept under HKEY_CURRENT_USER\software\VELKOR Brenn\, and
// the small records the program keeps directly under that key.

#include <windows.h>

#include <string>
#include <vector>

namespace velkor {

inline constexpr wchar_t kProductKeyPath[] = L"software\\VELKOR Brenn\\";
inline constexpr wchar_t kSettingsKeyPath[] = L"software\\VELKOR Brenn\\Settings\\";

enum SettingIndex : int {
  kSettingAutoScan = 0,
  kSettingDownloadLoc = 1,
  kSettingBackupLoc = 2,
};

enum SettingKind : int {
  kSettingString = 0,  // REG_SZ
  kSettingNumber = 1,  // REG_DWORD, exchanged as decimal text
};

struct SettingDescriptor {
  std::wstring keyPath;
  std::wstring valueName;
  std::wstring defaultValue;
  int kind;
};

class CSettings {
 public:
  // Reads the per-user application data folder for the defaults and
  // initialises the settings without resetting them.
  CSettings();
  // For tests and tools: the application data folder given, no initialisation.
  explicit CSettings(std::wstring app_data_folder);

  // Rebuilds the descriptor table and makes sure every value exists (reset:
  // every value goes back to its default). "AutoScan" is created as a number.
  void Init(bool reset);
  // Empty for an unknown index or a key that cannot be opened; a number that
  // cannot be read gives "0".
  std::wstring Get(int index) const;
  // A number that is not a number writes 0. False only on an unexpected failure.
  bool Set(int index, const std::wstring& text);

  const std::vector<SettingDescriptor>& Descriptors() const { return m_Descriptors; }

 private:
  void BuildDescriptors();

  std::wstring m_strAppDataFolder;
  std::vector<SettingDescriptor> m_Descriptors;
};

// Values directly under the product key ("LastScan", "OutofDate", "UpToDate",
// "TotalDrivers", "AutoRebootAfterRestore"), all strings. Read with read access
// only; empty when absent.
std::wstring ReadProductValue(const wchar_t* name);
// With create_key the key is opened for reading and writing and created when
// missing; without it the value is written only if the key exists.
bool WriteProductValue(const wchar_t* name, const std::wstring& text, bool create_key);

}  // namespace velkor
