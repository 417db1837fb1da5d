#include <gtest/gtest.h>

#include <algorithm>

#include "base/utf.hpp"
#include "inf_models.hpp"
#include "inf_parser.hpp"
#include "os_codes.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

using testing::ReadFile;

InfFile ParseText(const std::wstring& text) { return InfFile::Parse(text); }

InfDriverInfo ReadFixture(const char* name) {
  const std::string bytes = ReadFile(std::string(VELKOR_SERVICE_FIXTURES) + "/" + name);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  return ReadInfDriverInfo(InfFile::Parse(DecodeInfBytes({data, bytes.size()})));
}

std::vector<int> CodesOf(const InfDriverInfo& info, const std::wstring& key) {
  for (const InfListedId& id : info.ids) {
    if (id.key == key) return OsCodesInMask(id.osMask);
  }
  return {{999}};
}

TEST(InfSyntax, QuotesCommentsContinuationAndStrings) {
  const InfFile inf = ParseText(
      L"[version]\r\n"
      L"Provider = %Maker% ; who ships it\r\n"
      L"Note = \"a;b\", \"say \"\"hi\"\"\", 100%%\r\n"
      L"Joined = one, \\\r\n"
      L"   two \\ ; comment after the continuation mark\r\n"
      L"   , three\r\n"
      L"Unknown = %NoSuchKey%\r\n"
      L"Quoted = \"%maker% (quoted)\"\r\n"
      L"[Strings]\r\n"
      L"maker = \"Maker, Inc.\"\r\n");
  EXPECT_EQ(inf.Value(L"VERSION", L"provider"), L"Maker, Inc.");
  EXPECT_EQ(inf.Values(L"Version", L"Note"),
            (std::vector<std::wstring>{L"a;b", L"say \"hi\"", L"100%"}));
  EXPECT_EQ(inf.Values(L"Version", L"Joined"),
            (std::vector<std::wstring>{L"one", L"two", L"three"}));
  EXPECT_EQ(inf.Value(L"Version", L"Unknown"), L"%NoSuchKey%");
  EXPECT_EQ(inf.Value(L"Version", L"Quoted"), L"Maker, Inc. (quoted)");
  EXPECT_EQ(inf.Section(L"Missing"), nullptr);
}

TEST(InfSyntax, RepeatedSectionsMergeAndLinesBeforeAnySectionAreIgnored) {
  const InfFile inf = ParseText(L"Stray = 1\n[A]\nx = 1\n[B]\ny = 2\n[ a ]\nz = 3\n");
  ASSERT_NE(inf.Section(L"a"), nullptr);
  EXPECT_EQ(inf.Section(L"a")->size(), 2u);
  EXPECT_EQ(inf.Value(L"A", L"z"), L"3");
}

TEST(InfSyntax, LanguageStringsServeWhenThereIsNoPlainStringsSection) {
  const InfFile inf = ParseText(L"[Version]\nProvider=%P%\n[Strings.0409]\nP=\"English\"\n");
  EXPECT_EQ(inf.Value(L"Version", L"Provider"), L"English");
}

TEST(InfSyntax, DecodesUtf16Utf8AndAnsiFiles) {
  const std::wstring text = L"[Version]\r\nProvider=Caf\u00e9\r\n";
  std::string utf16 = "\xFF\xFE" + ToUtf16Le(text);
  std::string utf8 = "\xEF\xBB\xBF" + ToUtf8(text);
  std::string ansi = "[Version]\r\nProvider=Caf\xE9\x80\r\n";
  auto decode = [](const std::string& bytes) {
    return DecodeInfBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  };
  EXPECT_EQ(InfFile::Parse(decode(utf16)).Value(L"Version", L"Provider"), L"Caf\u00e9");
  EXPECT_EQ(InfFile::Parse(decode(utf8)).Value(L"Version", L"Provider"), L"Caf\u00e9");
  EXPECT_EQ(InfFile::Parse(decode(ansi)).Value(L"Version", L"Provider"), L"Caf\u00e9\u20ac");
}

TEST(InfSyntax, HostileTextNeverBreaksTheReader) {
  const std::wstring cases[] = {L"", L"[", L"[]", L"\"", L"[a\n\"unterminated = ,,,\n", L"\\",
                                L"[a]\n\\\n\\\n", L"[a]\n=\n,\n%\n%%%\n", std::wstring(100000, L',')};
  for (const std::wstring& text : cases) {
    const InfFile inf = ParseText(L"[a]\n" + text);
    EXPECT_EQ(ReadInfDriverInfo(inf).ids.size(), 0u);
  }
}

TEST(InfDriverInfo, ReadsVersionFactsAndEveryListedId) {
  const InfDriverInfo info = ReadFixture("e1000.inf");
  EXPECT_EQ(info.date, L"2010-03-15");
  EXPECT_EQ(info.version, L"8.10.0.1");
  EXPECT_EQ(info.provider, L"Example \"Net\" Corp.");
  EXPECT_EQ(info.className, L"Net");
  EXPECT_EQ(info.catalogFile, L"e1000.cat");
  std::vector<std::wstring> listed;
  for (const InfListedId& id : info.ids) listed.push_back(id.listed);
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"PCI\\VEN_8086&DEV_100E",
                                               L"PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086",
                                               L"PCI\\VEN_8086&DEV_100F"}));
}

// Which systems install each ID of e1000.inf: systems before XP read only the
// undecorated section; x86 systems take the most specific NTx86 decoration;
// 64-bit systems read only their own decoration; the listed NTia64 decoration has
// no section, so Itanium systems from XP on get nothing.
TEST(InfDriverInfo, DecorationsDecideWhichSystemsEachIdServes) {
  const InfDriverInfo info = ReadFixture("e1000.inf");
  EXPECT_EQ(CodesOf(info, L"pci\\ven_8086&dev_100e"), (std::vector<int>{1, 2, 3, 4, 5, 10, 17}));
  EXPECT_EQ(CodesOf(info, L"pci\\ven_8086&dev_100e&subsys_001e8086"),
            (std::vector<int>{-1, 4, 5, 6, 11}));
  EXPECT_EQ(CodesOf(info, L"pci\\ven_8086&dev_100f"), (std::vector<int>{-1, 7, 8, 9, 11, 14}));
}

TEST(InfDriverInfo, DecorationTable) {
  struct Case {
    const wchar_t* manufacturer;  // the [Manufacturer] value
    const wchar_t* sections;      // the models sections that exist, by decoration ("" = undecorated)
    std::vector<int> served;
  };
  const Case cases[] = {
      {L"M", L"", {-1, 1, 2, 3, 4, 5, 6, 10, 11, 17}},
      {L"M, NT", L"NT", {-1, 4, 5, 6, 7, 8, 9, 11, 14, 18, 19}},
      {L"M, NTamd64.6.0", L"NTamd64.6.0", {-1, 9, 11, 14}},
      {L"M, NTamd64.6.1", L"NTamd64.6.1", {-1, 14}},
      {L"M, NTx86.5.1.1", L"NTx86.5.1.1", {-1, 4, 6}},
      {L"M, NTx86...3", L"NTx86...3", {5, 11}},
      {L"M, NTia64", L"NTia64", {11, 18, 19}},
      {L"M, NTamd64.6.1..0x8000", L"NTamd64.6.1..0x8000", {14}},
      {L"M, Win9x, NTarm64", L"Win9x", {}},
  };
  for (const Case& c : cases) {
    std::wstring text = L"[Version]\nDriverVer=1/2/2009\n[Manufacturer]\nV=" + std::wstring(c.manufacturer) + L"\n";
    const std::wstring decoration = c.sections;
    text += L"[M" + (decoration.empty() ? L"" : L"." + decoration) + L"]\nD = I, USB\\VID_1&PID_2\n";
    const InfDriverInfo info = ReadInfDriverInfo(ParseText(text));
    const std::vector<int> served = info.ids.empty() ? std::vector<int>{} : OsCodesInMask(info.osMask);
    EXPECT_EQ(served, c.served) << "[Manufacturer] " << ToUtf8(c.manufacturer);
  }
}

TEST(InfDriverInfo, DropsIdsTheClientCouldNotSend) {
  const InfDriverInfo info = ReadInfDriverInfo(ParseText(
      L"[Manufacturer]\nV=M\n[M]\nD = I, A|B, " + std::wstring(600, L'x') + L", , USB\\OK, usb\\ok\n"));
  ASSERT_EQ(info.ids.size(), 1u);
  EXPECT_EQ(info.ids[0].listed, L"USB\\OK");
}

TEST(InfDriverInfo, DriverVerDates) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"06/21/2006", L"2006-06-21"}, {L"6/1/2006", L"2006-06-01"},  {L"12-31-1999", L"1999-12-31"},
      {L"02/29/2008", L"2008-02-29"}, {L"02/29/2009", L""},          {L"13/01/2009", L""},
      {L"2009/01/02", L""},           {L"1/2/09", L""},              {L"", L""},
      {L"x/y/z", L""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadInfDate(text), expected) << ToUtf8(text);
}

}  // namespace
}  // namespace velkor::service
