#include "core/text_table.hpp"

#include <gtest/gtest.h>

#include "base/utf.hpp"
#include "core/default_texts.hpp"
#include "core/file_bytes.hpp"
#include "core/text_file_format.hpp"
#include "core_test_files.hpp"

namespace velkor {
namespace {

using velkor::testing::ReadAll;
using velkor::testing::ScratchFolder;
using velkor::testing::WriteAll;

std::vector<std::uint8_t> Utf16(const std::wstring& text) {
  const std::string bytes = ToUtf16Le(text);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

TEST(TextFile, DefaultFileIsUtf16WithoutMarkOneQuotedLinePerKeyInOrder) {
  const std::vector<std::uint8_t> bytes = BuildDefaultTextFile();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], '[');
  EXPECT_EQ(bytes[1], 0);
  const std::wstring text = FromUtf16Le(bytes);
  ASSERT_EQ(text.substr(0, 15), L"[APPSETTINGS]\r\n");
  ASSERT_EQ(text.substr(text.size() - 2), L"\r\n");

  const auto defaults = DefaultTexts();
  ASSERT_EQ(defaults.size(), 128u);
  std::wstring expected = L"[APPSETTINGS]\r\n";
  for (const DefaultText& d : defaults) expected += std::wstring(d.key) + L"=\"" + d.text + L"\"\r\n";
  EXPECT_EQ(text, expected);
  // No bare LF or CR anywhere: every line ends in CR LF.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n') {
      EXPECT_EQ(text[i - 1], L'\r');
    }
    if (text[i] == L'\r') {
      EXPECT_EQ(text[i + 1], L'\n');
    }
  }
  EXPECT_EQ(std::wstring(defaults.front().key), L"IDS_APP_NAME");
  EXPECT_EQ(std::wstring(defaults[93].key), L"IDS_RESTORE_DESC6");  // 6 before 5, as shipped
  EXPECT_EQ(std::wstring(defaults.back().key), L"IDS_DRIVER_DETAILS_DESC6");
}

TEST(TextFile, ReaderFollowsTheProfileRules) {
  const std::wstring file =
      L"; comment\r\n[Other]\r\nIDS_X=\"wrong section\"\r\n"
      L"[appsettings]\n"
      L"  ids_x  =  \"quoted \"inner\" text\"  \r\n"
      L"IDS_X=second wins? no\r\n"
      L"IDS_SINGLE='single'\r\n"
      L"IDS_BARE=  bare value  \r\n"
      L"IDS_ONEQUOTE=\"\r\n"
      L"IDS_EMPTY=\r\n"
      L"IDS_NOEQUALS\r"
      L"[Next]\r\nIDS_LATER=x\r\n";
  const ProfileDocument doc = ProfileDocument::Parse(Utf16(file));
  struct Case {
    const wchar_t* key;
    std::optional<std::wstring> value;
  };
  const Case cases[] = {
      {L"IDS_X", L"quoted \"inner\" text"},
      {L"IDS_SINGLE", L"single"},
      {L"IDS_BARE", L"bare value"},
      {L"IDS_ONEQUOTE", L"\""},
      {L"IDS_EMPTY", L""},
      {L"IDS_NOEQUALS", L""},
      {L"IDS_LATER", std::nullopt},
      {L"IDS_MISSING", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(doc.Value(kTextSection, c.key), c.value);
  }
  EXPECT_EQ(doc.KeyNames(kTextSection).size(), 7u);
  EXPECT_FALSE(doc.HasSection(L"Missing"));
  EXPECT_TRUE(doc.KeyNames(L"Missing").empty());
}

TEST(TextFile, LongValuesAreCutToTheBuffer) {
  const std::wstring value(3000, L'a');
  const ProfileDocument doc = ProfileDocument::Parse(Utf16(L"[APPSETTINGS]\r\nK=\"" + value + L"\"\r\n"));
  EXPECT_EQ(doc.Value(kTextSection, L"K"), value.substr(0, 2047));
}

TEST(TextFile, ByteOrderMarksFromEditorsAreAccepted) {
  std::vector<std::uint8_t> utf16 = {0xFF, 0xFE};
  const auto body = Utf16(L"[APPSETTINGS]\r\nK=\"\u00E9\"\r\n");
  utf16.insert(utf16.end(), body.begin(), body.end());
  EXPECT_EQ(ProfileDocument::Parse(utf16).Value(kTextSection, L"K"), L"\u00E9");

  const std::string utf8 = "\xEF\xBB\xBF[APPSETTINGS]\r\nK=\"\xC3\xA9\"\r\n";
  EXPECT_EQ(ProfileDocument::Parse(std::span(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()))
                .Value(kTextSection, L"K"),
            L"\u00E9");
}

TEST(TextFile, SetValueReplacesOrAppendsWithinTheSection) {
  ProfileDocument doc = ProfileDocument::Parse(Utf16(L"[APPSETTINGS]\r\nA=\"1\"\r\n\r\n[B]\r\nC=2\r\n"));
  EXPECT_TRUE(doc.SetValue(kTextSection, L"a", L"\"one\""));
  EXPECT_TRUE(doc.SetValue(kTextSection, L"N", L"\"new\""));
  EXPECT_FALSE(doc.SetValue(L"Nowhere", L"N", L"x"));
  EXPECT_EQ(FromUtf16Le(doc.Serialize()), L"[APPSETTINGS]\r\na=\"one\"\r\nN=\"new\"\r\n\r\n[B]\r\nC=2\r\n");
}

class TextTableTest : public ::testing::Test {
 protected:
  ScratchFolder dir_;
  std::wstring path_ = dir_.File(L"velkor.ini");
};

TEST_F(TextTableTest, NoFileWritesTheDefaultsAndReadsWithoutQuotes) {
  CTextTable table;
  table.Locate(path_);
  EXPECT_EQ(ReadAll(path_), BuildDefaultTextFile());
  EXPECT_TRUE(table.LastWriteSucceeded());
  RemoveFile(path_);
  EXPECT_EQ(table.GetText(L"IDS_HOME2_SCAN_HEADING"), L"Scanning...");
  EXPECT_EQ(ReadAll(path_), BuildDefaultTextFile());
  EXPECT_EQ(table.GetText(L"IDS_RESTORE_DESC4"),
            L"Restore completed. You can click on \"Finish\" button to go back and restore some more devices.");
  EXPECT_EQ(table.GetText(L"IDS_RESTORE_DESC2"), L"Backup loaded, please select a device for backup ... ");
}

TEST_F(TextTableTest, MissingOrEmptyValueRewritesTheWholeFile) {
  std::wstring text = L"[APPSETTINGS]\r\n";
  for (const DefaultText& d : DefaultTexts()) {
    std::wstring value = d.text;
    if (std::wstring(d.key) == L"IDS_BACKUP_HEADING") value = L"Sicherung";
    if (std::wstring(d.key) == L"IDS_MOUSE") value = L"";
    text += std::wstring(d.key) + L"=\"" + value + L"\"\r\n";
  }
  WriteAll(path_, Utf16(text));
  CTextTable table;
  table.Locate(path_);
  EXPECT_EQ(table.GetText(L"IDS_BACKUP_HEADING"), L"Sicherung");  // edits are honoured...
  EXPECT_EQ(table.GetText(L"IDS_MOUSE"), L"Mice and other pointing devices");
  EXPECT_EQ(table.GetText(L"IDS_BACKUP_HEADING"), L"Backup");  // ...until a repair rewrites all
  EXPECT_EQ(ReadAll(path_), BuildDefaultTextFile());
}

TEST_F(TextTableTest, EmptyAppNameFallsBackAndRepairs) {
  WriteAll(path_, Utf16(L"[APPSETTINGS]\r\nIDS_APP_NAME=\"\"\r\nIDS_MOUSE=\"Maus\"\r\n"));
  CTextTable table;
  table.Locate(path_);
  EXPECT_EQ(table.GetAppName(), L"Velkor");
  EXPECT_EQ(ReadAll(path_), BuildDefaultTextFile());

  WriteAll(path_, Utf16(L"[APPSETTINGS]\r\nIDS_APP_NAME=\"Velkor Pro\"\r\n"));
  EXPECT_EQ(table.GetAppName(), L"Velkor Pro");
}

TEST_F(TextTableTest, FileWithoutTheSectionIsNeitherReadNorRewritten) {
  const auto damaged = Utf16(L"[SOMETHING]\r\nIDS_MOUSE=\"x\"\r\n");
  WriteAll(path_, damaged);
  CTextTable table;
  table.Locate(path_);
  EXPECT_EQ(table.GetText(L"IDS_MOUSE"), L"");
  EXPECT_EQ(table.GetAppName(), L"Velkor");
  EXPECT_EQ(ReadAll(path_), damaged);
}

TEST_F(TextTableTest, UnwritableFolderGivesEmptyTexts) {
  CTextTable table;
  table.Locate((dir_.Path() / "missing-folder" / "velkor.ini").wstring());
  EXPECT_FALSE(table.LastWriteSucceeded());
  EXPECT_EQ(table.GetText(L"IDS_MOUSE"), L"");
  EXPECT_EQ(table.GetAppName(), L"Velkor");
  EXPECT_EQ(CTextTable().GetText(L"IDS_MOUSE"), L"");  // no path at all
}

TEST_F(TextTableTest, SetTextWritesOneValueAndPeekNeverWrites) {
  CTextTable table;
  EXPECT_EQ(table.PeekText(L"IDS_MOUSE"), L"");
  table.Locate(path_);
  EXPECT_TRUE(table.SetText(L"IDS_MOUSE", L"\"Rodents\""));
  EXPECT_FALSE(table.SetText(L"IDS_MOUSE", L""));
  EXPECT_EQ(table.GetText(L"IDS_MOUSE"), L"Rodents");
  EXPECT_EQ(table.GetText(L"IDS_KEYBOARD"), L"Keyboard");

  WriteAll(path_, Utf16(L"[APPSETTINGS]\r\nIDS_MOUSE=\"\"\r\n"));
  CTextTable reader;
  reader.SetPath(path_);
  EXPECT_EQ(reader.PeekText(L"IDS_MOUSE"), L"");
  EXPECT_EQ(reader.PeekText(L"IDS_APP_NAME"), L"");
  EXPECT_EQ(ReadAll(path_), Utf16(L"[APPSETTINGS]\r\nIDS_MOUSE=\"\"\r\n"));
}

}  // namespace
}  // namespace velkor
