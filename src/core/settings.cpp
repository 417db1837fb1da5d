#include "core/settings.hpp"

#include "base/path.hpp"
#include "base/text.hpp"
#include "core/registry_key.hpp"
#include "core/shell_folders.hpp"

namespace velkor {

CSettings::CSettings() : m_strAppDataFolder(GetAppDataFolder()) { Init(false); }

CSettings::CSettings(std::wstring app_data_folder) : m_strAppDataFolder(std::move(app_data_folder)) {
  BuildDescriptors();
}

void CSettings::BuildDescriptors() {
  const std::wstring product_folder = JoinPath(m_strAppDataFolder, L"\\Velkor\\");
  m_Descriptors = {
      {kSettingsKeyPath, L"AutoScan", L"1", kSettingNumber},
      {kSettingsKeyPath, L"DownloadLoc", JoinPath(product_folder, L"Download\\"), kSettingString},
      {kSettingsKeyPath, L"BackupLoc", JoinPath(product_folder, L"Backup\\"), kSettingString},
  };
}

void CSettings::Init(bool reset) {
  BuildDescriptors();
  for (const SettingDescriptor& d : m_Descriptors) {
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, d.keyPath, KEY_ALL_ACCESS, true)) continue;
    if (!reset && key.ValueExists(d.valueName.c_str())) continue;
    if (d.kind == kSettingNumber) {
      key.WriteDword(d.valueName.c_str(), static_cast<std::uint32_t>(ParseDecimal(d.defaultValue)));
    } else {
      key.WriteString(d.valueName.c_str(), d.defaultValue);
    }
  }
}

std::wstring CSettings::Get(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_Descriptors.size()) return {};
  const SettingDescriptor& d = m_Descriptors[static_cast<std::size_t>(index)];
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, d.keyPath, KEY_READ, false)) return {};
  if (d.kind == kSettingNumber) {
    const auto value = key.ReadDword(d.valueName.c_str());
    // Shown signed, so that whatever Set stored reads back the same.
    return value ? std::to_wstring(static_cast<std::int32_t>(*value)) : std::wstring(L"0");
  }
  return key.ReadString(d.valueName.c_str()).value_or(std::wstring());
}

bool CSettings::Set(int index, const std::wstring& text) {
  try {
    if (index < 0 || static_cast<std::size_t>(index) >= m_Descriptors.size()) return true;
    const SettingDescriptor& d = m_Descriptors[static_cast<std::size_t>(index)];
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, d.keyPath, KEY_ALL_ACCESS, true)) return true;
    if (d.kind == kSettingNumber) {
      key.WriteDword(d.valueName.c_str(), static_cast<std::uint32_t>(ParseDecimal(text)));
    } else {
      key.WriteString(d.valueName.c_str(), text);
    }
    return true;
  } catch (...) {
    return false;
  }
}

std::wstring ReadProductValue(const wchar_t* name) {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, kProductKeyPath, KEY_READ, false)) return {};
  return key.ReadString(name).value_or(std::wstring());
}

bool WriteProductValue(const wchar_t* name, const std::wstring& text, bool create_key) {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, kProductKeyPath, create_key ? KEY_READ | KEY_WRITE : KEY_WRITE, create_key)) {
    return false;
  }
  return key.WriteString(name, text);
}

}  // namespace velkor
