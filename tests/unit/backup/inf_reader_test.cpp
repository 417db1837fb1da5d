// ParseInf on small INF files: destination folders, file lists, single files,
// includes and needed sections, catalogs, co-installers, [SourceDisksFiles],
// and INF files that are damaged or hostile.

#include <gtest/gtest.h>

#include "backup/backup_restore.hpp"
#include "base/utf.hpp"
#include "memory_inf_platform.hpp"

namespace velkor {
namespace {

using Files = std::vector<std::wstring>;

const std::wstring kInfFolder = L"C:\\WINDOWS\\inf\\";
const std::wstring kCatRoot = L"C:\\WINDOWS\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

struct Engine {
  fuzz::MemoryInfPlatform platform;
  DirIdCache dirIds;
  CBackupRestore engine{platform, dirIds};

  void AddInf(const std::wstring& name, const std::string& text) { platform.files.AddFile(kInfFolder + name, text); }
  Files Parse(const std::wstring& inf, const std::wstring& section, const std::wstring& ext) {
    engine.ParseInf(inf, section, ext);
    return engine.m_arrFiles;
  }
};

// A display driver INF as vendors write them (the first line is lost to the
// reader's byte-order-mark rule, as always).
const char kDisplayInf[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Display\r\n"
    "CatalogFile=nv4.cat\r\n"
    "CatalogFile.NTx86 = nv4_x86.cat\r\n"
    "\r\n"
    "[DestinationDirs]\r\n"
    "DefaultDestDir = 11\r\n"
    "nv.Miniport = 12\r\n"
    "nv.Help = 18, NVIDIA Help\r\n"
    "nv.Odd = 13\r\n"
    "\r\n"
    "[nv.Install.NTx86]\r\n"
    "Include = ks.inf, wdmaudio.inf\r\n"
    "Needs = KS.Registration\r\n"
    "CopyFiles = nv.Miniport, nv.Display\r\n"
    "CopyFiles=@nvcpl.cpl,nv.Help\r\n"
    "copyfile = nv.Odd\r\n"
    "AddReg = nv.AddReg\r\n"
    "\r\n"
    "[nv.Install.NTx86.CoInstallers]\r\n"
    "CopyFiles = nv.CoInstaller\r\n"
    "\r\n"
    "[nv.Miniport]\r\n"
    "nv4_mini.sys,,,0x100 ; the miniport\r\n"
    "\r\n"
    "   ; a comment line\r\n"
    "nv4_disp.dll,nv4_orig.dll\r\n"
    "\r\n"
    "[nv.Display]\r\n"
    "nv4_disp.dll\r\n"
    "nvapi.dll\r\n"
    "[nv.Help]\r\n"
    "nvhelp.chm\r\n"
    "[nv.Odd]\r\n"
    "odd.bin\r\n"
    "[nv.CoInstaller]\r\n"
    "nvcoins.dll\r\n"
    "[SourceDisksFiles]\r\n"
    "nv4_mini.sys = 1\r\n"
    "; nvapi.dll = 1\r\n"
    "nvsvc.exe = 1,,\r\n"
    "nvstore.dll\r\n"
    "missing.sys = 1\r\n";

const char kKsInf[] =
    "[Version]\r\n"
    "[DestinationDirs]\r\n"
    "KS.Files = 12\r\n"
    "[KS.Registration]\r\n"
    "CopyFiles = KS.Files, @ksuser.dll\r\n"
    "[KS.Files]\r\n"
    "ks.sys\r\n"
    "ksproxy.ax\r\n";

TEST(InfReader, InstallSectionFilesInTheirFolders) {
  Engine e;
  e.AddInf(L"oem12.inf", kDisplayInf);
  e.AddInf(L"ks.inf", kKsInf);
  e.AddInf(L"wdmaudio.inf", "[Version]\r\n[KS.Registration]\r\nCopyFiles=wdm.Files\r\n");
  const Files files = e.Parse(L"oem12.inf", L"nv.Install", L".NTx86");
  const Files expected = {
      kInfFolder + L"ks.inf",
      kInfFolder + L"wdmaudio.inf",
      // KS.Registration is needed from ks.inf only: includes and needs pair
      // up by position.
      L"C:\\WINDOWS\\system32\\drivers\\ks.sys",
      L"C:\\WINDOWS\\system32\\drivers\\ksproxy.ax",
      L"@ksuser.dll",  // ks.inf has no DefaultDestDir: the empty folder
      L"C:\\WINDOWS\\system32\\drivers\\nv4_mini.sys,,,0x100",  // comment dropped
      L"C:\\WINDOWS\\system32\\drivers\\nv4_disp.dll,nv4_orig.dll",
      L"C:\\WINDOWS\\system32\\nvapi.dll",  // nv4_disp.dll of nv.Display is listed already
      L"C:\\WINDOWS\\system32\\@nvcpl.cpl",  // names no section: DefaultDestDir's folder
      L"C:\\WINDOWS\\Help\\nvidia help\\nvhelp.chm",  // the subfolder comes out lower-cased
      L"odd.bin",  // id 13 has no folder
      kCatRoot + L"nv4.cat",
      kCatRoot + L"nv4_x86.cat",
      L"C:\\WINDOWS\\system32\\nvcoins.dll",
      kInfFolder + L"oem12.inf",
  };
  EXPECT_EQ(files, expected);
  EXPECT_EQ(e.engine.m_arrCopyFiles, (Files{L"nv.Miniport", L"nv.Display", L"@nvcpl.cpl", L"nv.Help", L"nv.Odd"}));
  EXPECT_EQ(e.engine.m_arrCoInstallerCopyFiles, (Files{L"nv.CoInstaller"}));
}

TEST(InfReader, SourceDisksFilesOnlyOnVistaAndOnlyWhereTheyExist) {
  Engine e;
  e.AddInf(L"oem12.inf", kDisplayInf);
  e.platform.files.AddFile(L"C:\\WINDOWS\\system32\\nvsvc.exe", "x");
  const std::wstring store = L"C:\\WINDOWS\\system32\\DriverStore\\FileRepository\\nv4.inf_x86_1a2b\\";
  e.platform.files.AddFile(store + L"nvstore.dll", "x");
  e.engine.m_arrDriverStore = {store, store + L"nv4.inf", store + L"nvstore.dll"};
  const Files onXp = e.Parse(L"oem12.inf", L"nv.Install", L".NTx86");
  EXPECT_EQ(onXp.back(), kInfFolder + L"oem12.inf");

  e.platform.osVersionCode = 6;
  const Files onVista = e.Parse(L"oem12.inf", L"nv.Install", L".NTx86");
  // nv4_mini.sys is listed already, the commented nvapi.dll is skipped,
  // nvsvc.exe exists in the system folder, nvstore.dll only in the driver
  // store, missing.sys nowhere.
  ASSERT_EQ(onVista.size(), onXp.size() + 2);
  EXPECT_EQ(Files(onVista.begin(), onVista.begin() + static_cast<std::ptrdiff_t>(onXp.size())), onXp);
  EXPECT_EQ(onVista[onXp.size()], L"C:\\WINDOWS\\system32\\nvsvc.exe");
  EXPECT_EQ(onVista[onXp.size() + 1], store + L"nvstore.dll");
}

TEST(InfReader, IncludesAndNeedsPairByPositionAndOnlyAfterTheInclude) {
  struct Case {
    const char* what;
    std::string section;
    Files files;
  };
  const std::wstring a = kInfFolder + L"a.inf";
  const std::wstring b = kInfFolder + L"b.inf";
  const Case cases[] = {
      {"Include then Needs", "Include=a.inf, b.inf\r\nNeeds=S1\r\n", {a, b, L"C:\\WINDOWS\\system32\\@a1.sys"}},
      {"two needs for two includes", "Includes = a.inf,b.inf\r\nNeeds = S1, S2\r\n",
       {a, b, L"C:\\WINDOWS\\system32\\@a1.sys", L"C:\\WINDOWS\\system32\\@b2.sys"}},
      {"Needs before Include", "Needs=S1\r\nInclude=a.inf\r\n", {a}},
      {"an empty need", "Include=a.inf,b.inf\r\nNeeds=,S2\r\n", {a, b, L"C:\\WINDOWS\\system32\\@b2.sys"}},
  };
  for (const Case& c : cases) {
    Engine e;
    e.AddInf(L"x.inf", "[Version]\r\n[DestinationDirs]\r\nDefaultDestDir=11\r\n[Install]\r\n" + c.section);
    e.AddInf(L"a.inf", "[Version]\r\n[S1]\r\nCopyFiles=@a1.sys\r\n[DestinationDirs]\r\nDefaultDestDir=11\r\n");
    e.AddInf(L"b.inf", "[Version]\r\n[DestinationDirs]\r\nDefaultDestDir=11\r\n[S2]\r\nCopyFiles=@b2.sys\r\n");
    Files expected = c.files;
    expected.push_back(kInfFolder + L"x.inf");
    EXPECT_EQ(e.Parse(L"x.inf", L"Install", L""), expected) << c.what;
  }
}

TEST(InfReader, DestinationFolders) {
  struct Case {
    const char* what;
    std::string destinationDirs;
    std::wstring file;
  };
  const Case cases[] = {
      {"DefaultDestDir only", "DefaultDestDir = 11\r\n", L"C:\\WINDOWS\\system32\\a.sys"},
      {"an entry with a subfolder", "DefaultDestDir = 11\r\nSec = 12,Sub\r\n", L"C:\\WINDOWS\\system32\\drivers\\sub\\a.sys"},
      {"an id outside the table", "Sec = 13\r\n", L"a.sys"},
      {"no DefaultDestDir, no entry", "Other = 12\r\n", L"a.sys"},
      {"an id with a sign and blanks", "Sec =  +10 \r\n", L"C:\\WINDOWS\\a.sys"},
      {"the entry before DefaultDestDir", "Sec = 17\r\nDefaultDestDir = 11\r\n", L"C:\\WINDOWS\\inf\\a.sys"},
      {"program files", "Sec = 16422, Vendor\r\n", L"C:\\Program Files\\vendor\\a.sys"},
      {"a folder the system does not have", "Sec = 16430\r\n", L"a.sys"},
  };
  for (const Case& c : cases) {
    Engine e;
    e.AddInf(L"x.inf", "[Version]\r\n[DestinationDirs]\r\n" + c.destinationDirs +
                           "[Install]\r\nCopyFiles=Sec\r\n[Sec]\r\na.sys\r\n");
    EXPECT_EQ(e.Parse(L"x.inf", L"Install", L""), (Files{c.file, kInfFolder + L"x.inf"})) << c.what;
  }
}

TEST(InfReader, WhatCannotBeReadGivesTheInfPathAlone) {
  Engine e;
  EXPECT_EQ(e.Parse(L"missing.inf", L"Install", L".NT"), (Files{kInfFolder + L"missing.inf"}));
  e.AddInf(L"x.inf", kDisplayInf);
  // A section that is not there: only the catalogs and the INF itself.
  EXPECT_EQ(e.Parse(L"x.inf", L"Other", L""), (Files{kCatRoot + L"nv4.cat", kCatRoot + L"nv4_x86.cat", kInfFolder + L"x.inf"}));
  // The decoration is part of the header: without it the section is another.
  EXPECT_EQ(e.Parse(L"x.inf", L"nv.Install", L"").size(), 3u);
}

TEST(InfReader, AUtf16InfReadsAsItsText) {
  Engine plain;
  plain.AddInf(L"oem12.inf", kDisplayInf);
  plain.AddInf(L"ks.inf", kKsInf);
  std::string utf16 = "\xFF\xFE" + ToUtf16Le(FromUtf8(kDisplayInf));
  Engine wide;
  wide.platform.files.AddFile(kInfFolder + L"oem12.inf", std::vector<std::uint8_t>(utf16.begin(), utf16.end()));
  wide.AddInf(L"ks.inf", kKsInf);
  EXPECT_EQ(wide.Parse(L"oem12.inf", L"nv.Install", L".NTx86"), plain.Parse(L"oem12.inf", L"nv.Install", L".NTx86"));
}

TEST(InfReader, HostileInfFilesEndBounded) {
  Engine e;
  // 100 MB in one line: read as far as the bound, no section in it.
  std::vector<std::uint8_t> huge(100u << 20, 'x');
  e.platform.files.AddFile(kInfFolder + L"huge.inf", std::move(huge));
  EXPECT_EQ(e.Parse(L"huge.inf", L"Install", L""), (Files{kInfFolder + L"huge.inf"}));

  // A section that includes its own file and needs itself.
  e.AddInf(L"self.inf", "[Version]\r\n[Install]\r\nInclude=self.inf\r\nNeeds=Install\r\nCopyFiles=@a.sys\r\n");
  const Files self = e.Parse(L"self.inf", L"Install", L"");
  EXPECT_EQ(self, (Files{kInfFolder + L"self.inf", L"@a.sys", L"@a.sys", kInfFolder + L"self.inf"}));

  // Tens of thousands of names: the lists stop at their bound.
  std::string names = "[Version]\r\n[Install]\r\n";
  for (int i = 0; i < 20000; ++i) names += "CopyFiles=@f" + std::to_string(i) + ".sys\r\n";
  e.AddInf(L"many.inf", names);
  EXPECT_EQ(e.Parse(L"many.inf", L"Install", L"").size(), kMaxInfListEntries);
  EXPECT_EQ(e.engine.m_arrCopyFiles.size(), kMaxInfListEntries);

  // Many sections that all look like the wanted one's header: the scans'
  // budget ends them.
  std::string headers = "[Version]\r\n[Install]\r\nCopyFiles=";
  for (int i = 0; i < 3000; ++i) headers += "S,";
  headers += "S\r\n";
  for (int i = 0; i < 20000; ++i) headers += "[x] [y] [z] " + std::string(100, 'q') + "\r\n";
  e.AddInf(L"slow.inf", headers);
  EXPECT_LE(e.Parse(L"slow.inf", L"Install", L"").size(), kMaxInfListEntries);
}

TEST(InfReader, DirectoryIdsAndTheirCache) {
  fuzz::MemoryInfPlatform platform;
  DirIdCache cache;
  struct Case {
    int id;
    std::wstring folder;
  };
  const Case cases[] = {
      {10, L"C:\\WINDOWS\\"},
      {11, L"C:\\WINDOWS\\system32\\"},
      {12, L"C:\\WINDOWS\\system32\\drivers\\"},
      {17, L"C:\\WINDOWS\\inf\\"},
      {18, L"C:\\WINDOWS\\Help\\"},
      {20, L"C:\\WINDOWS\\Fonts\\"},
      {24, L"C:\\Program Files\\"},
      {51, L"C:\\WINDOWS\\system32\\spool\\"},
      {52, L"C:\\WINDOWS\\system32\\spool\\drivers\\"},
      {53, L"C:\\Documents and Settings\\user\\"},
      {16419, L"C:\\Documents and Settings\\All Users\\Application Data\\"},
      {16422, L"C:\\Program Files\\"},
      {16427, L"C:\\Program Files\\Common Files\\"},
      {16406, L""},  // the test system has no common start menu
      {0, L""},
      {13, L""},
      {-1, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(cache.Lookup(c.id, platform), c.folder) << c.id;

  // Found folders are kept: the system is not asked again, even when its
  // answer would now differ. Empty answers are not kept.
  platform.folders[kCsidlWindows] = L"D:\\OTHER";
  platform.folders[kCsidlCommonStartMenu] = L"C:\\Start";
  const int asked = platform.folderQueries;
  EXPECT_EQ(cache.Lookup(10, platform), L"C:\\WINDOWS\\");
  EXPECT_EQ(platform.folderQueries, asked);
  EXPECT_EQ(cache.Lookup(16406, platform), L"C:\\Start\\");
  EXPECT_EQ(platform.folderQueries, asked + 1);
  EXPECT_EQ(DirIdFolder(10, platform), L"D:\\OTHER\\");
}

}  // namespace
}  // namespace velkor
