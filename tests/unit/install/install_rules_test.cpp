#include <gtest/gtest.h>

#include "install/command_lines.hpp"
#include "install/package_names.hpp"
#include "install/update_tool_protocol.hpp"

namespace velkor {
namespace {

TEST(PackageKinds, AreSubstringTestsOnTheWholePathInAnyCase) {
  struct Case {
    const wchar_t* path;
    bool setup, zip, rar, cab;
  };
  const Case cases[] = {
      {L"C:\\dl\\abc.zip", false, true, false, false},
      {L"C:\\dl\\ABC.ZIP", false, true, false, false},
      {L"C:\\dl\\abc.exe", true, false, false, false},
      {L"C:\\dl\\abc.msi", true, false, false, false},
      {L"C:\\dl\\abc.rar", false, false, true, false},
      {L"C:\\dl\\abc.cab", false, false, false, true},
      {L"C:\\dl\\drv.exe.zip", true, true, false, false},
      {L"C:\\my.rar.files\\abc.cab", false, false, true, true},
      {L"C:\\dl\\abc.7z", false, false, false, false},
  };
  for (const Case& c : cases) {
    const PackageKinds kinds = PackageKindsOf(c.path);
    EXPECT_EQ(kinds.setup, c.setup) << c.path;
    EXPECT_EQ(kinds.zip, c.zip) << c.path;
    EXPECT_EQ(kinds.rar, c.rar) << c.path;
    EXPECT_EQ(kinds.cab, c.cab) << c.path;
  }
}

TEST(PackageNames, TitleAndUnpackFolderBesideThePackage) {
  using namespace std::string_literals;
  struct Case {
    std::wstring path;
    const wchar_t* folder;  // nullptr: no names
    const wchar_t* title;
    const wchar_t* unpack;
  };
  const Case cases[] = {
      {L"C:\\dl\\abc.zip", L"C:\\dl", L"abc", L"C:\\dl\\abc\\"},
      {L"C:\\dl\\pciven_10ec&dev_8168.v2.zip", L"C:\\dl", L"pciven_10ec&dev_8168.v2",
       L"C:\\dl\\pciven_10ec&dev_8168.v2\\"},
      {L"C:\\dl.v2\\package", L"C:\\dl.v2", L"package", L"C:\\dl.v2\\package\\"},
      {L"C:\\abc.cab", L"C:", L"abc", L"C:\\abc\\"},
      {L"\\\\server\\share\\abc.rar", L"\\\\server\\share", L"abc", L"\\\\server\\share\\abc\\"},
      // Each of these would unpack into the download folder itself (or its
      // parent, or nowhere sensible) and then delete it.
      {L"C:\\dl\\.zip", nullptr, nullptr, nullptr},
      {L"C:\\dl\\..zip", nullptr, nullptr, nullptr},
      {L"C:\\dl\\...zip", nullptr, nullptr, nullptr},
      {L"C:\\dl\\", nullptr, nullptr, nullptr},
      {L"abc.zip", nullptr, nullptr, nullptr},
      {L"dl\\abc.zip", nullptr, nullptr, nullptr},
      {L"\\dl\\abc.zip", nullptr, nullptr, nullptr},
      {L"C:\\dl\\a*.zip", nullptr, nullptr, nullptr},
      {L"C:\\dl\\con.zip", nullptr, nullptr, nullptr},
      // A share's root, and a NUL that would cut the path short (found by fuzzing).
      {L"\\\\server\\x.exe.zip", nullptr, nullptr, nullptr},
      {L"\\\\)\0\0hare\\x.exe.zip"s, nullptr, nullptr, nullptr},
      {L"C:\\dl\0\\..\\abc.zip"s, nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<PackageNames> names = DerivePackageNames(c.path);
    if (c.folder == nullptr) {
      EXPECT_FALSE(names.has_value()) << c.path.c_str();
      continue;
    }
    ASSERT_TRUE(names.has_value()) << c.path.c_str();
    EXPECT_EQ(names->folder, c.folder) << c.path.c_str();
    EXPECT_EQ(names->title, c.title) << c.path.c_str();
    EXPECT_EQ(names->unpackFolder, c.unpack) << c.path.c_str();
  }
}

TEST(PackageNames, UnpackedInfStaysInsideTheUnpackFolder) {
  struct Case {
    const wchar_t* inf;
    const wchar_t* unpacked;  // nullptr: never installed
  };
  const Case cases[] = {
      {L"win7\\a.inf", L"C:\\dl\\abc\\win7\\a.inf"},
      {L"\\a.inf", L"C:\\dl\\abc\\a.inf"},
      {L"extract/x64/a.inf", L"C:\\dl\\abc\\extract\\x64\\a.inf"},
      // Cleaned as the ZIP layer cleans names: whatever climbs out is cut off.
      {L"..\\..\\windows\\inf\\machine.inf", L"C:\\dl\\abc\\windows\\inf\\machine.inf"},
      {L"C:\\windows\\inf\\machine.inf", L"C:\\dl\\abc\\windows\\inf\\machine.inf"},
      {L"..\\", nullptr},
      {L"nul.inf", nullptr},
      {L"a.inf:stream", nullptr},
      {L"", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::wstring> unpacked = UnpackedInfPath(L"C:\\dl\\abc\\", c.inf);
    if (c.unpacked == nullptr) {
      EXPECT_FALSE(unpacked) << c.inf;
    } else {
      EXPECT_EQ(unpacked, c.unpacked) << c.inf;
    }
  }
}

TEST(PackageNames, SupportRootIsTheParentOfTheSupportFolder) {
  EXPECT_EQ(SupportRoot(L"C:\\Program Files\\Velkor\\xp\\"), L"C:\\Program Files\\Velkor");
  EXPECT_EQ(SupportRoot(L"C:\\Program Files\\Velkor\\Vista"), L"C:\\Program Files\\Velkor");
  EXPECT_EQ(SupportRoot(L"C:\\xp\\"), L"C:");
  EXPECT_EQ(SupportRoot(L"xp\\"), L"");
  EXPECT_EQ(SupportRoot(L""), L"");
}

TEST(PackageNames, OnlyFoldersBelowADriveOrShareAreDeletable) {
  for (const wchar_t* path : {L"C:\\dl\\abc", L"c:\\x", L"\\\\server\\share\\abc"}) {
    EXPECT_TRUE(IsDeletableFolderPath(path)) << path;
  }
  for (const wchar_t* path : {L"", L"C:", L"C:\\", L"C:\\dl\\", L"dl\\abc", L"\\dl", L"C:\\dl\\*",
                              L"C:\\dl\\a?c", L"\\\\server\\share", L"\\\\server", L"\\\\?\\C:\\dl"}) {
    EXPECT_FALSE(IsDeletableFolderPath(path)) << path;
  }
}

TEST(UpdateToolCommandLine, InfPathFirstThenHardwareIdEachInQuotes) {
  EXPECT_EQ(UpdateToolParameters(L"C:\\dl\\abc\\nic.inf", L"PCI\\VEN_10EC&DEV_8168"),
            L"update \"C:\\dl\\abc\\nic.inf\" \"PCI\\VEN_10EC&DEV_8168\"");
  // A final backslash is doubled, so the closing quote still closes.
  EXPECT_EQ(UpdateToolParameters(L"C:\\x.inf", L"ROOT\\"), L"update \"C:\\x.inf\" \"ROOT\\\\\"");
  EXPECT_EQ(UpdateToolParameters(L"C:\\x.inf", L"A\\\\"), L"update \"C:\\x.inf\" \"A\\\\\\\\\"");
}

TEST(UpdateToolCommandLine, ValuesThatCouldLeaveTheirQuotesAreNeverPassed) {
  const wchar_t* hostile[] = {L"PCI\\VEN\" \"C:\\evil.inf", L"\"", L"a\"b", L"line\nbreak", L"nul\x01",
                              L""};
  for (const wchar_t* value : hostile) {
    EXPECT_FALSE(UpdateToolParameters(L"C:\\x.inf", value)) << value;
    EXPECT_FALSE(UpdateToolParameters(value, L"PCI\\VEN_1")) << value;
  }
}

TEST(UpdateToolCommandLine, ToolPathVerbAndName) {
  EXPECT_EQ(BuildUpdateToolFileName(), VELKOR_UPDATE_TOOL_FILE_NAME);
  EXPECT_EQ(UpdateToolPath(L"C:\\Velkor\\xp\\", L"t.exe"), L"C:\\Velkor\\xp\\t.exe");
  EXPECT_EQ(UpdateToolPath(L"C:\\Velkor\\xp", L"t.exe"), L"C:\\Velkor\\xp\\t.exe");
  EXPECT_EQ(UpdateToolPath(L"  C:\\Velkor\\xp\\", L"t.exe "), L"C:\\Velkor\\xp\\t.exe");
  EXPECT_STREQ(UpdateToolVerb(5), L"open");
  EXPECT_STREQ(UpdateToolVerb(6), L"runas");
  EXPECT_STREQ(UpdateToolVerb(10), L"runas");
}

TEST(SevenZipCommandLine, IsExactlyTheToolsOwnForm) {
  EXPECT_EQ(SevenZipCommandLine(L"C:\\dl\\setup.exe", L"C:\\dl\\setup\\"),
            L"7z.exe x -y \"C:\\dl\\setup.exe\" -o\"C:\\dl\\setup\\\" -r ");
  EXPECT_FALSE(SevenZipCommandLine(L"C:\\dl\\a\".exe", L"C:\\dl\\a\\"));
  EXPECT_FALSE(SevenZipCommandLine(L"C:\\dl\\a.exe", L"C:\\dl\\\"\\"));
}

TEST(UpdateToolArguments, AcceptsExactlyTheVerbAndTwoValues) {
  using Words = std::vector<std::wstring>;
  const std::wstring tool = L"C:\\Velkor\\xp\\tool.exe";
  const std::wstring inf = L"C:\\dl\\abc\\nic.inf";
  const std::wstring id = L"PCI\\VEN_10EC&DEV_8168&SUBSYS_00000000";

  const std::optional<UpdateToolRequest> ok = ParseUpdateToolArguments(Words{tool, L"update", inf, id});
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->infPath, inf);
  EXPECT_EQ(ok->hardwareId, id);
  EXPECT_TRUE(ParseUpdateToolArguments(Words{tool, L"update", L"d:\\X.INF", L"ACPI\\PNP0A03"}));
  EXPECT_TRUE(ParseUpdateToolArguments(Words{tool, L"update", inf, L"HID\\with space"}));
  EXPECT_TRUE(ParseUpdateToolArguments(Words{tool, L"update", inf, std::wstring(200, L'A')}));

  const Words refused[] = {
      {tool},
      {tool, L"update", inf},
      {tool, L"update", inf, id, L"extra"},
      {tool, L"UPDATE", inf, id},
      {tool, L"install", inf, id},
      {tool, L"update", L"\\\\server\\share\\nic.inf", id},
      {tool, L"update", L"\\\\?\\C:\\nic.inf", id},
      {tool, L"update", L"nic.inf", id},
      {tool, L"update", L"C:nic.inf", id},
      {tool, L"update", L"C:\\dl\\nic.sys", id},
      {tool, L"update", L"C:\\dl\\nic.inf:stream", id},
      {tool, L"update", L"C:\\dl\\.inf", id},
      {tool, L"update", L"C:\\dl\\*.inf", id},
      {tool, L"update", L"C:/dl/nic.inf", id},
      {tool, L"update", L"C:\\dl\\n\"ic.inf", id},
      {tool, L"update", L"C:\\" + std::wstring(253, L'a') + L".inf", id},
      {tool, L"update", inf, L""},
      {tool, L"update", inf, L"PCI\\VEN\"X"},
      {tool, L"update", inf, L"PCI\\VEN\tX"},
      {tool, L"update", inf, L"PCI\\VEN\u00e9"},
      {tool, L"update", inf, std::wstring(201, L'A')},
  };
  for (const Words& words : refused) {
    std::wstring shown;
    for (const std::wstring& word : words) shown += L"[" + word + L"]";
    EXPECT_FALSE(ParseUpdateToolArguments(words)) << shown;
  }
}

}  // namespace
}  // namespace velkor
