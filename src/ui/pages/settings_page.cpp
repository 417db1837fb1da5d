#include "ui/pages/settings_page.hpp"

#include "base/text.hpp"
#include "core/shell_folders.hpp"
#include "ui/pages/folder_picker.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

std::wstring DialogText(HWND dialog, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}

int FieldOf(int index) { return index == kSettingDownloadLoc ? IDC_SETTINGS_DOWNLOAD_DIR : IDC_SETTINGS_BACKUP_DIR; }

}  // namespace

CSettingsDlg::CSettingsDlg(const PageFonts& fonts, CTextTable& texts, CApplicationState& state)
    : CGlobalUI(IDD_SETTINGS, fonts), m_Texts(texts), m_State(state) {
  SetHeading(m_Texts.GetText(L"IDS_SETTINGS_HEADING"));
}

SettingsPageValues CSettingsDlg::PageValues() const {
  SettingsPageValues values;
  values.autoScan = IsDlgButtonChecked(hwnd(), IDC_SETTINGS_AUTOSCAN) == BST_CHECKED;
  values.downloadFolder = DialogText(hwnd(), IDC_SETTINGS_DOWNLOAD_DIR);
  values.backupFolder = DialogText(hwnd(), IDC_SETTINGS_BACKUP_DIR);
  return values;
}

SettingsPageValues CSettingsDlg::StoredValues() const {
  return {AutoScanChecked(m_State.m_Settings.Get(kSettingAutoScan)), m_State.m_Settings.Get(kSettingDownloadLoc),
          m_State.m_Settings.Get(kSettingBackupLoc)};
}

SettingsPageValues CSettingsDlg::DefaultValues() const {
  const auto& descriptors = m_State.m_Settings.Descriptors();
  SettingsPageValues values;
  if (descriptors.size() > kSettingBackupLoc) {
    values.autoScan = AutoScanChecked(descriptors[kSettingAutoScan].defaultValue);
    values.downloadFolder = descriptors[kSettingDownloadLoc].defaultValue;
    values.backupFolder = descriptors[kSettingBackupLoc].defaultValue;
  }
  return values;
}

// The stored folder; when none is stored, the folder in use, which is then
// stored too.
std::wstring CSettingsDlg::StoredOrCurrentFolder(int index) {
  std::wstring folder = m_State.m_Settings.Get(index);
  if (folder.empty()) {
    folder = index == kSettingDownloadLoc ? m_State.m_strDownloadFolder : m_State.m_strBackupFolder;
    m_State.m_Settings.Set(index, folder);
  }
  return folder;
}

void CSettingsDlg::OnInitPage() {
  m_BrowseDownload.Attach(hwnd(), IDC_SETTINGS_BROWSE_DL);
  m_BrowseDownload.LoadStrip(IDB_BROWSE_BUTTON);
  m_BrowseBackup.Attach(hwnd(), IDC_SETTINGS_BROWSE_BK);
  m_BrowseBackup.LoadStrip(IDB_BROWSE_BUTTON);
  CHoverButton4SWithText::Style style;
  style.bold = true;
  style.underlineOnHover = true;
  for (CHoverButton4SWithText* button : {&m_Apply, &m_Default}) {
    button->Attach(hwnd(), button == &m_Apply ? IDC_SETTINGS_APPLY : IDC_SETTINGS_DEFAULT);
    button->LoadStrip(IDB_ACTION_BUTTON);
    button->SetStyle(style);
  }
  // Two further options of the template are not offered.
  ShowWindow(GetDlgItem(hwnd(), IDC_SETTINGS_HIDDEN1), SW_HIDE);
  ShowWindow(GetDlgItem(hwnd(), IDC_SETTINGS_HIDDEN2), SW_HIDE);
  Load();
}

void CSettingsDlg::Load() {
  CheckDlgButton(hwnd(), IDC_SETTINGS_AUTOSCAN,
                 AutoScanChecked(m_State.m_Settings.Get(kSettingAutoScan)) ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(hwnd(), IDC_SETTINGS_DOWNLOAD_DIR, StoredOrCurrentFolder(kSettingDownloadLoc).c_str());
  SetDlgItemTextW(hwnd(), IDC_SETTINGS_BACKUP_DIR, StoredOrCurrentFolder(kSettingBackupLoc).c_str());
  UpdateButtons();
}

void CSettingsDlg::UpdateButtons() {
  const SettingsPageValues page = PageValues();
  EnableWindow(GetDlgItem(hwnd(), IDC_SETTINGS_APPLY), SettingsDiffer(page, StoredValues()));
  EnableWindow(GetDlgItem(hwnd(), IDC_SETTINGS_DEFAULT), SettingsDiffer(page, DefaultValues()));
}

void CSettingsDlg::Apply() {
  const SettingsPageValues page = PageValues();
  m_State.m_Settings.Set(kSettingAutoScan, page.autoScan ? L"1" : L"0");
  m_State.m_Settings.Set(kSettingDownloadLoc, page.downloadFolder);
  m_State.m_Settings.Set(kSettingBackupLoc, page.backupFolder);
  // Default stays as the comparison with the defaults says.
  UpdateButtons();
  EnableWindow(GetDlgItem(hwnd(), IDC_SETTINGS_APPLY), FALSE);
}

void CSettingsDlg::RestoreDefaults() {
  m_State.m_Settings.Init(true);
  Load();
  EnableWindow(GetDlgItem(hwnd(), IDC_SETTINGS_APPLY), FALSE);
  EnableWindow(GetDlgItem(hwnd(), IDC_SETTINGS_DEFAULT), FALSE);
}

void CSettingsDlg::Browse(int index) {
  const bool download = index == kSettingDownloadLoc;
  const std::wstring inUse = download ? m_State.m_strDownloadFolder : m_State.m_strBackupFolder;
  std::wstring current = m_State.m_Settings.Get(index);
  if (current.empty()) current = inUse;
  if (!FolderExists(current)) {
    EnsureFolder(m_State.m_strDataFolder);
    if (!EnsureFolder(current)) {
      current = download ? m_State.m_strDefaultDownloadFolder : m_State.m_strDefaultBackupFolder;
      EnsureFolder(current);
    }
  }
  std::wstring chosen;
  if (FolderExists(current)) chosen = PickFolder(hwnd(), current);
  if (!chosen.empty()) {
    // A folder we cannot write to would only fail later, in the middle of a
    // download or a backup: keep the stored one instead.
    if (!FolderIsWritable(chosen, download ? L"Download" : L"Backup")) {
      chosen = m_State.m_Settings.Get(index);
      EnsureFolder(chosen);
    }
  }
  if (!chosen.empty()) {
    SetDlgItemTextW(hwnd(), FieldOf(index), chosen.c_str());
  } else {
    SetDlgItemTextW(hwnd(), FieldOf(index), StoredOrCurrentFolder(index).c_str());
  }
  UpdateButtons();
}

void CSettingsDlg::OnShown(bool visible) {
  if (visible) Load();
}

bool CSettingsDlg::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_SETTINGS_AUTOSCAN:
      UpdateButtons();
      return true;
    case IDC_SETTINGS_APPLY:
      Apply();
      return true;
    case IDC_SETTINGS_DEFAULT:
      RestoreDefaults();
      return true;
    case IDC_SETTINGS_BROWSE_DL:
      Browse(kSettingDownloadLoc);
      return true;
    case IDC_SETTINGS_BROWSE_BK:
      Browse(kSettingBackupLoc);
      return true;
    default:
      return false;
  }
}

void CSettingsDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  Text(dc, m_Texts.GetText(L"IDS_SETTINGS_GENERAL"), 38, 68, kDarkText, 4, false, 300, 16);
  Text(dc, m_Texts.GetText(L"IDS_SETTINGS_GENERAL_SETTING1"), 61, 93, kDarkText, 4, false, 500, 16);
  Text(dc, m_Texts.GetText(L"IDS_SETTINGS_DOWNLOAD"), 38, 174, kDarkText, 4, false, 300, 16);
  Text(dc, m_Texts.GetText(L"IDS_SETTINGS_DOWNLOAD_SETTING1"), 38, 201, kDarkText, 4, false, 164, 20);
  Text(dc, m_Texts.GetText(L"IDS_SETTINGS_BACKUP"), 38, 276, kDarkText, 4, false, 300, 16);
  Text(dc, m_Texts.GetText(L"IDS_BACKUP_LOC"), 38, 301, kDarkText, 4, false, 164, 20);
}

}  // namespace velkor
