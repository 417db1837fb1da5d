// Settings, direct values, working folders and the lists on disk, against the
// real registry and file system (a private Wine prefix).
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "core/application_state.hpp"
#include "core/file_removal_win.hpp"
#include "core/list_store.hpp"
#include "core/registry_key.hpp"
#include "core/settings.hpp"
#include "core/shell_folders.hpp"
#include "core_test_files.hpp"

namespace velkor {
namespace {

using velkor::testing::ScratchFolder;

void DeleteProductKey() { SHDeleteKeyW(HKEY_CURRENT_USER, L"software\\VELKOR Brenn"); }

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

RawValue ReadRaw(const wchar_t* name) {
  RawValue v;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size);
  v.data.resize(size);
  RegQueryValueExW(key, name, nullptr, &v.type, v.data.data(), &size);
  RegCloseKey(key);
  return v;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteProductKey(); }
  void TearDown() override { DeleteProductKey(); }
};

TEST_F(SettingsTest, FirstInitCreatesAutoScanAsNumberAndTheFolderStrings) {
  CSettings settings(L"C:\\Users\\me\\AppData");
  settings.Init(false);
  const RawValue auto_scan = ReadRaw(L"AutoScan");
  EXPECT_EQ(auto_scan.type, static_cast<DWORD>(REG_DWORD));
  ASSERT_EQ(auto_scan.data.size(), 4u);
  EXPECT_EQ(auto_scan.data[0], 1);
  const RawValue download = ReadRaw(L"DownloadLoc");
  EXPECT_EQ(download.type, static_cast<DWORD>(REG_SZ));
  const std::wstring expected = L"C:\\Users\\me\\AppData\\Velkor\\Download\\";
  ASSERT_EQ(download.data.size(), (expected.size() + 1) * 2);  // the terminating zero is stored
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(download.data.data())), expected);
  EXPECT_EQ(settings.Get(kSettingBackupLoc), L"C:\\Users\\me\\AppData\\Velkor\\Backup\\");
  EXPECT_EQ(settings.Get(kSettingAutoScan), L"1");
}

TEST_F(SettingsTest, InitKeepsUserValuesUnlessReset) {
  CSettings settings(L"C:\\AD");
  settings.Init(false);
  settings.Set(kSettingAutoScan, L"0");
  settings.Set(kSettingDownloadLoc, L"D:\\Drivers\\");
  settings.Init(false);
  EXPECT_EQ(settings.Get(kSettingAutoScan), L"0");
  EXPECT_EQ(settings.Get(kSettingDownloadLoc), L"D:\\Drivers\\");
  settings.Init(true);
  EXPECT_EQ(settings.Get(kSettingAutoScan), L"1");
  EXPECT_EQ(settings.Get(kSettingDownloadLoc), L"C:\\AD\\Velkor\\Download\\");
}

TEST_F(SettingsTest, GetAndSetOfBothKinds) {
  CSettings settings(L"C:\\AD");
  settings.Init(false);
  const struct {
    int index;
    const wchar_t* set;
    const wchar_t* get;
  } cases[] = {
      {kSettingAutoScan, L"5", L"5"},
      {kSettingAutoScan, L"abc", L"0"},
      {kSettingAutoScan, L"12abc", L"12"},
      {kSettingAutoScan, L"-1", L"-1"},
      {kSettingAutoScan, L"", L"0"},
      {kSettingBackupLoc, L"", L""},
      {kSettingBackupLoc, L"E:\\B\u00E4ckup\\", L"E:\\B\u00E4ckup\\"},
      {kSettingDownloadLoc, L"17", L"17"},  // a string setting keeps text as text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    EXPECT_TRUE(settings.Set(c.index, c.set));
    EXPECT_EQ(settings.Get(c.index), c.get);
  }
  EXPECT_EQ(ReadRaw(L"DownloadLoc").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(settings.Get(3), L"");
  EXPECT_EQ(settings.Get(-1), L"");
  EXPECT_TRUE(settings.Set(7, L"x"));
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeReadAsEmptyOrZero) {
  CSettings settings(L"C:\\AD");
  settings.Init(false);
  const wchar_t one[] = L"1";
  WriteRaw(L"AutoScan", REG_SZ, one, sizeof one);  // the string "1" is not the number 1
  EXPECT_EQ(settings.Get(kSettingAutoScan), L"0");
  const DWORD number = 3;
  WriteRaw(L"BackupLoc", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(settings.Get(kSettingBackupLoc), L"");
  const wchar_t expand[] = L"%USERPROFILE%\\Drivers\\";
  WriteRaw(L"DownloadLoc", REG_EXPAND_SZ, expand, sizeof expand);
  EXPECT_EQ(settings.Get(kSettingDownloadLoc), expand);  // taken as stored
  const wchar_t unterminated[] = {L'A', L'B'};
  WriteRaw(L"DownloadLoc", REG_SZ, unterminated, sizeof unterminated);
  EXPECT_EQ(settings.Get(kSettingDownloadLoc), L"AB");
  DeleteProductKey();
  EXPECT_EQ(settings.Get(kSettingAutoScan), L"");
  EXPECT_EQ(settings.Get(kSettingDownloadLoc), L"");
}

TEST_F(SettingsTest, DirectValuesUnderTheProductKey) {
  EXPECT_FALSE(WriteProductValue(L"LastScan", L"x", false));  // no key yet, and none is made
  EXPECT_EQ(ReadProductValue(L"LastScan"), L"");
  EXPECT_TRUE(WriteProductValue(L"OutofDate", L"12", true));
  EXPECT_TRUE(WriteProductValue(L"LastScan", L"March 04, 2008 09:15:00 PM ", false));
  EXPECT_EQ(ReadProductValue(L"OutofDate"), L"12");
  EXPECT_EQ(ReadProductValue(L"LastScan"), L"March 04, 2008 09:15:00 PM ");
}

class ApplicationStateTest : public SettingsTest {
 protected:
  ScratchFolder dir_;
  FolderSources Sources() const {
    return {dir_.File(L"Program Files"), dir_.File(L"AppData"), dir_.File(L"Temp") + L"\\"};
  }
  void SetUp() override {
    SettingsTest::SetUp();
    CreateDirectoryW(dir_.File(L"Program Files").c_str(), nullptr);
    CreateDirectoryW(dir_.File(L"AppData").c_str(), nullptr);
  }
};

TEST_F(ApplicationStateTest, FirstStartFormsAndCreatesTheFolders) {
  CApplicationState state(L"Velkor", Sources());
  const std::wstring program = dir_.File(L"Program Files") + L"\\Velkor\\";
  const std::wstring data = dir_.File(L"AppData") + L"\\Velkor\\";
  EXPECT_EQ(state.m_strProgramFolder, program);
  EXPECT_EQ(state.m_strXpFolder, program + L"xp\\");
  EXPECT_EQ(state.m_strAmd64Folder, program + L"amd64\\");
  EXPECT_EQ(state.m_strAmd64Folder2, program + L"amd64\\");
  EXPECT_EQ(state.m_strIa64Folder, program + L"ia64\\");
  EXPECT_EQ(state.m_strVistaFolder, program + L"Vista\\");
  EXPECT_EQ(state.m_strDataFolder, data);
  EXPECT_EQ(state.m_strDefaultDownloadFolder, data + L"Download\\");
  EXPECT_EQ(state.m_strDefaultBackupFolder, data + L"Backup\\");
  EXPECT_EQ(state.m_strTempFolder, dir_.File(L"Temp") + L"\\Velkor\\");
  // The settings' defaults use the application data folder; with a product
  // named Velkor they are the same folders as the data folder's defaults.
  EXPECT_EQ(state.m_strDownloadFolder, data + L"Download\\");
  EXPECT_EQ(state.m_strBackupFolder, data + L"Backup\\");
  for (const std::wstring& created : {program, data, data + L"Download\\", data + L"Backup\\"}) {
    EXPECT_TRUE(FolderExists(created)) << ::testing::PrintToString(created);
  }
  EXPECT_FALSE(FolderExists(program + L"xp\\"));
  EXPECT_FALSE(FolderExists(state.m_strTempFolder));
  EXPECT_TRUE(state.m_DownloadList.empty());
  EXPECT_FALSE(state.OperationInProgress());
}

TEST_F(ApplicationStateTest, EmptyFolderSettingFallsBackToTheDefaultAndIsWrittenBack) {
  {
    CApplicationState first(L"Velkor", Sources());
    first.m_Settings.Set(kSettingDownloadLoc, L"");
    first.m_Settings.Set(kSettingBackupLoc, dir_.File(L"MyBackups") + L"\\");
  }
  CApplicationState state(L"Velkor", Sources());
  EXPECT_EQ(state.m_strDownloadFolder, state.m_strDefaultDownloadFolder);
  EXPECT_EQ(state.m_Settings.Get(kSettingDownloadLoc), state.m_strDefaultDownloadFolder);
  EXPECT_EQ(state.m_strBackupFolder, dir_.File(L"MyBackups") + L"\\");
  EXPECT_TRUE(FolderExists(state.m_strBackupFolder));
}

TEST_F(ApplicationStateTest, ListsLiveInTheDataFolder) {
  {
    CApplicationState state(L"Velkor", Sources());
    state.m_DownloadList[L"pkg"] = L"C:\\d\\pkg.zip";
    state.m_BackupList[L"Backup 1"] = L"C:\\b\\1.zip";
    EXPECT_TRUE(state.SaveList(ListKind::Download));
    EXPECT_TRUE(state.SaveList(ListKind::Backup));
    EXPECT_EQ(state.ListPath(ListKind::Download), state.m_strDataFolder + L"Download.dat");
    EXPECT_EQ(state.ListPath(ListKind::Backup), state.m_strDataFolder + L"Backup.dat");
  }
  CApplicationState state(L"Velkor", Sources());
  EXPECT_EQ(state.m_DownloadList, (StringMap{{L"pkg", L"C:\\d\\pkg.zip"}}));
  EXPECT_EQ(state.m_BackupList, (StringMap{{L"Backup 1", L"C:\\b\\1.zip"}}));
}

TEST(RemoveUnredirectedFile, DeletesOnlyAPlainFileNamedByAPlainPath) {
  ScratchFolder dir;
  const std::wstring file = dir.File(L"Download.dat");
  velkor::testing::WriteAll(file, {1});
  CreateDirectoryW(dir.File(L"sub").c_str(), nullptr);
  const std::wstring refused[] = {
      L"Download.dat",                             // relative
      dir.File(L"sub") + L"\\..\\Download.dat",    // walks up
      dir.File(L".") + L"\\Download.dat",
      dir.File(L"sub") + L"\\\\Download.dat",      // an empty name
      dir.File(L"sub"),                            // a folder
      dir.File(L"missing.dat"),
  };
  for (const std::wstring& path : refused) {
    EXPECT_FALSE(RemoveUnredirectedFile(path)) << ::testing::PrintToString(path);
    EXPECT_TRUE(FileExists(file));
  }
  EXPECT_TRUE(FolderExists(dir.File(L"sub") + L"\\"));
  EXPECT_TRUE(RemoveUnredirectedFile(file));
  EXPECT_FALSE(FileExists(file));
}

TEST(SingleByteLists, UseTheSystemCodePage) {
  // "caf\xE9" in the single-byte form: with code page 1252 (Wine's default for
  // an English locale) the last byte is U+00E9.
  ScratchFolder dir;
  CreateDirectoryW(dir.File(L"AppData").c_str(), nullptr);
  CreateDirectoryW((dir.File(L"AppData") + L"\\Velkor").c_str(), nullptr);
  const std::vector<std::uint8_t> bytes = {1, 0, 0, 0, 1, 0, 4, 'c', 'a', 'f', 0xE9, 1, 'x'};
  velkor::testing::WriteAll(dir.File(L"AppData") + L"\\Velkor\\Backup.dat", bytes);
  DeleteProductKey();
  CApplicationState state(L"Velkor", {dir.File(L"PF"), dir.File(L"AppData"), dir.File(L"T") + L"\\"});
  ASSERT_EQ(state.m_BackupList.size(), 1u);
  wchar_t expected[8] = {};
  const char narrow[] = "caf\xE9";
  MultiByteToWideChar(CP_ACP, 0, narrow, 4, expected, 8);
  EXPECT_EQ(state.m_BackupList.begin()->first, expected);
  DeleteProductKey();
}

}  // namespace
}  // namespace velkor
