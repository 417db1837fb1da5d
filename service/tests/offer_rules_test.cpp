#include <gtest/gtest.h>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"

namespace velkor::service {
namespace {

TEST(RequestDate, ReadsTheClientsConvertedDatesAndTreatsTheRestAsNoDate) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"2006-06-21", L"2006-06-21"},
      {L" 2005-12-01 ", L"2005-12-01"},
      {L"", L""},
      {L"2006--", L""},             // "2006" without "-" as the client converts it
      {L"21.06.2006--", L""},       // a dotted short date
      {L"2006-21-06", L""},         // day and month swapped by a day-first locale
      {L"2006-02-30", L""},
      {L"06-06-21", L""},           // a two-digit year
      {L"2006-06-21-1", L""},
      {L"+2006-06-21", L""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadRequestDate(text), expected) << ToUtf8(text);
}

TEST(VersionOrder, PartsCompareAsNumbers) {
  const std::vector<const wchar_t*> ascending = {L"", L"1", L"1.0.0.1", L"1.2", L"1.10", L"2.0.0.0",
                                                 L"6.1.7600.16385", L"10.0.0.0", L"4294967296"};
  for (std::size_t i = 1; i < ascending.size(); ++i) {
    EXPECT_LT(VersionSortKey(ascending[i - 1]), VersionSortKey(ascending[i]))
        << ToUtf8(ascending[i - 1]) << " < " << ToUtf8(ascending[i]);
  }
  EXPECT_EQ(VersionSortKey(L"1.2"), VersionSortKey(L"1.2.0.0"));
  EXPECT_EQ(VersionSortKey(L"1.2 beta"), VersionSortKey(L"1.2"));
}

TEST(RequestIdList, LowerCasedTrimmedDeduplicatedInListOrder) {
  EXPECT_EQ(RequestIds("PCI\\VEN_1&DEV_2&REV_01|pci\\ven_1&dev_2| \t|\tPCI\\VEN_1&DEV_2 ||usb\\class_09|"),
            (std::vector<std::string>{"pci\\ven_1&dev_2&rev_01", "pci\\ven_1&dev_2", "usb\\class_09"}));
  EXPECT_TRUE(RequestIds("").empty());
  std::string many;
  for (int i = 0; i < 1000; ++i) many += "id" + std::to_string(i) + "|";
  EXPECT_EQ(RequestIds(many).size(), kMaxIdsPerDevice);
  // Only ASCII letters fold; other characters stay; bytes that are not UTF-8
  // read as U+FFFD.
  EXPECT_EQ(RequestIds("\xC3\x84" "BC|\xFF"), (std::vector<std::string>{"\xC3\x84" "bc", "\xEF\xBF\xBD"}));
}

TEST(AnswerForms, DriverDateIsWrittenTheWayTheRegistryWritesIt) {
  auto date = [](const char* iso) {
    std::string out;
    AppendClientDriverDate(out, iso);
    return out;
  };
  EXPECT_EQ(date("2009-06-01"), "6-1-2009");
  EXPECT_EQ(date("2010-12-31"), "12-31-2010");
}

// The client turns infpath into the path below its unpack folder: when the text
// does not begin with "extract" (case-sensitive) it lower-cases it, keeps it from
// the first "extract", and drops that first part. The answer's form must survive
// that for INF paths of every shape.
std::wstring ClientUnpackRelative(std::wstring path) {
  if (path.rfind(L"extract", 0) == 0) return path;
  path = AsciiToLower(path);
  const std::size_t extract = path.find(L"extract");
  if (extract != std::wstring::npos) path = path.substr(extract);
  if (!path.empty() && path[0] != L'\\') {
    const std::size_t slash = path.find(L'\\');
    if (slash != std::wstring::npos) path = path.substr(slash + 1);
  }
  return path;
}

TEST(AnswerForms, InfPathSurvivesTheClientsUnpackRule) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"a.inf", L"a.inf"},
      {L"win7/x64/a.inf", L"win7\\x64\\a.inf"},
      {L"Extractor/extract/A.INF", L"extractor\\extract\\a.inf"},
      {L"drivers\\net.inf", L"drivers\\net.inf"},
  };
  auto infPath = [](std::wstring_view inside) {
    std::string out;
    AppendClientInfPath(out, ToUtf8(inside));
    return FromUtf8(out);
  };
  for (const auto& [inside, expected] : cases) {
    EXPECT_EQ(ClientUnpackRelative(infPath(inside)), expected) << ToUtf8(inside);
  }
  EXPECT_EQ(infPath(L"win7/a.inf"), L"Extract\\win7\\a.inf");
}

TEST(OsCodes, RequestOsidSelectsItsOwnBitAndUnknownCodesReadAsMinusOne) {
  for (int code : KnownOsCodes()) EXPECT_EQ(OsMaskForRequest(code), OsCodeBit(code)) << code;
  for (int code : {0, 12, 13, 15, 99, -2}) EXPECT_EQ(OsMaskForRequest(code), OsCodeBit(-1)) << code;
  EXPECT_EQ(OsCodesText(OsCodeBit(-1) | OsCodeBit(9) | OsCodeBit(4)), "-1,4,9");
}

}  // namespace
}  // namespace velkor::service
