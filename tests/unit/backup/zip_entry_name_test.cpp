#include "backup/zip_entry_name.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ZipEntryName, StoredNamesUseSlashesAndUtf8) {
  EXPECT_EQ(ZipStoredName(L"drv\\abc.ZIP"), "drv/abc.ZIP");
  EXPECT_EQ(ZipStoredName(L"index.dat"), "index.dat");
  EXPECT_EQ(ZipStoredName(L"Ger\u00e4t\\a.sys"), "Ger\xc3\xa4t/a.sys");
}

TEST(ZipEntryName, AlreadyCompressedExtensionsAreStored) {
  struct Case {
    const wchar_t* name;
    bool stored;
  };
  const Case cases[] = {
      {L"drv\\abc.ZIP", true}, {L"a.Z", true},     {L"a.z", true},       {L"a.zoo", true},
      {L"a.ARC", true},        {L"a.lzh", true},   {L"a.arj", true},     {L"a.gz", true},
      {L"a.TGZ", true},        {L"drv\\abc.cab", false}, {L"drv\\abc.sys", false},
      {L"noextension", false}, {L"a.zip.sys", false},    {L"a.zip\\b", false}, {L"a.tar.gz", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsStoredExtension(c.name), c.stored) << c.name;
}

TEST(ZipEntryName, CleaningKeepsEveryNameBelowItsFolder) {
  struct Case {
    const wchar_t* stored;
    const wchar_t* cleaned;
  };
  const Case cases[] = {
      {L"x.sys", L"x.sys"},
      {L"drv/abc.ZIP", L"drv\\abc.ZIP"},
      {L"../../x.sys", L"x.sys"},
      {L"../x.sys", L"x.sys"},
      {L"C:\\x.sys", L"x.sys"},
      {L"C:/x.sys", L"x.sys"},
      {L"\\\\server\\share\\x.sys", L"server\\share\\x.sys"},
      {L"/\\/C:C:\\x.sys", L"x.sys"},
      {L"a\\..\\b\\x.sys", L"b\\x.sys"},
      {L"a/..\\b/../c/x.sys", L"c\\x.sys"},
      {L"a\\../b/..\\x.sys", L"x.sys"},
      {L"../C:/x.sys", L"x.sys"},   // a drive that the ".." rule brings to the front
      {L"..\\/\\x.sys", L"x.sys"},
      {L"a/..b/c..", L"a\\..b\\c.."},  // not ".." segments
      {L"a//b/./c/", L"a\\b\\c"},
      {L"dir/", L"dir"},
      {L"a/..", L""},
      {L"..", L""},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanZipEntryName(c.stored), c.cleaned) << c.stored;
}

TEST(ZipEntryName, NamesTheSystemWouldMisreadAreNotSafe) {
  struct Case {
    const wchar_t* cleaned;
    bool safe;
  };
  const Case cases[] = {
      {L"x.sys", true},
      {L"drv\\abc.sys", true},
      {L"Ger\u00e4t\\a b.sys", true},
      {L"a..b", true},
      {L"console.sys", true},
      {L"com10", true},
      {L"", false},
      {L"x.sys:stream", false},
      {L"a\\b:c\\x", false},
      {L"x\ty", false},
      {L"x\x7f", false},
      {L"a<b", false},
      {L"a|b", false},
      {L"a?b", false},
      {L"a*b", false},
      {L"a\"b", false},
      {L"x.", false},
      {L"x ", false},
      {L"dir.\\x", false},
      {L"...", false},
      {L"CON", false},
      {L"con.txt", false},
      {L"drv\\NUL.sys", false},
      {L"aux .x", false},
      {L"COM1", false},
      {L"lpt9.inf", false},
      {L"com\u00b9", false},
      {L"CONOUT$", false},
      {L"\\x.sys", false},  // not a cleaned name
      {L"a\\.\\b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeZipEntryName(c.cleaned), c.safe) << c.cleaned;
  EXPECT_EQ(SafeZipEntryPath(L"../../drv/x.sys"), std::optional<std::wstring>(L"drv\\x.sys"));
  EXPECT_EQ(SafeZipEntryPath(L"../con"), std::nullopt);
}

}  // namespace
}  // namespace velkor
