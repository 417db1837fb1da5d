// The INF reader on the system: an INF file in the system INF folder read with
// the real folders, the ANSI code page and the file sharing rules.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "backup/backup_restore.hpp"
#include "backup/inf_platform_win.hpp"
#include "backup/string_file.hpp"
#include "core_test_files.hpp"

namespace velkor {
namespace {

std::wstring SystemFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE));
  return buffer;
}

// An INF file of the test's own in the system INF folder, removed at the end.
class SystemInf {
 public:
  SystemInf(const std::wstring& name, const std::string& text) : path_(SystemFolder(CSIDL_WINDOWS) + L"\\inf\\" + name) {
    testing::WriteAll(path_, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  ~SystemInf() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

TEST(InfPlatformWin, ParseInfWithTheSystemsFolders) {
  const SystemInf inf(L"velkor_test_parse.inf",
                      "[Version]\r\nCatalogFile=vt.cat\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\nvt.Help=18,Vendor\r\n"
                      "[vt.Install.NT]\r\nCopyFiles=vt.Files,vt.Help,@vt.dll\r\n[vt.Files]\r\nvt.sys\r\n[vt.Help]\r\nvt.chm\r\n");
  CBackupRestore engine(ProcessInfPlatform());
  EXPECT_EQ(engine.m_strWindowsDir, SystemFolder(CSIDL_WINDOWS));
  engine.ParseInf(L"velkor_test_parse.inf", L"vt.Install", L".NT");
  const std::wstring windows = SystemFolder(CSIDL_WINDOWS);
  const std::wstring system = SystemFolder(CSIDL_SYSTEM);
  EXPECT_EQ(engine.m_arrFiles,
            (std::vector<std::wstring>{system + L"\\drivers\\vt.sys", windows + L"\\Help\\vendor\\vt.chm",
                                       system + L"\\drivers\\@vt.dll",
                                       windows + L"\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\vt.cat",
                                       inf.Path()}));
  EXPECT_EQ(DirIdToPath(11), system + L"\\");
  EXPECT_EQ(DirIdToPath(24), SystemFolder(CSIDL_PROGRAM_FILES) + L"\\");
  EXPECT_EQ(DirIdToPath(13), L"");
}

TEST(InfPlatformWin, AnOpenInfCanBeReadButNotWrittenByOthers) {
  const SystemInf inf(L"velkor_test_share.inf", "##caf\xe9\r\n");
  CStringFile file(ProcessInfPlatform());
  ASSERT_TRUE(file.Open(inf.Path()));
  HANDLE reader = CreateFileW(inf.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileW(inf.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  std::wstring line;
  ASSERT_TRUE(file.ReadString(line));
  // In the system's ANSI code page: Wine's usual one is Windows-1252, but it
  // follows the host's locale.
  if (GetACP() == 1252) {
    EXPECT_EQ(line, L"caf\u00e9");
  } else {
    EXPECT_EQ(line.substr(0, 3), L"caf");
  }
}

}  // namespace
}  // namespace velkor
