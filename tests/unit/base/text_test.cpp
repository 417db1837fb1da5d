#include "base/text.hpp"

#include <gtest/gtest.h>

#include <climits>

namespace velkor {
namespace {

TEST(AsciiCaseFolding, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(AsciiToLower(L"PCI\\VEN_10DE&DEV_0191"), L"pci\\ven_10de&dev_0191");
  EXPECT_EQ(AsciiToUpper(L"{4d36e968-e325}"), L"{4D36E968-E325}");
  // Letters outside ASCII keep their case: IDs fold the same on every locale.
  EXPECT_EQ(AsciiToLower(L"\u00C4\u0130X"), L"\u00C4\u0130x");
  EXPECT_TRUE(AsciiEqualsNoCase(L"Signer", L"SIGNER"));
  EXPECT_FALSE(AsciiEqualsNoCase(L"signer", L"signers"));
  EXPECT_FALSE(AsciiEqualsNoCase(L"\u00E4", L"\u00C4"));
}

TEST(Trim, RemovesBlanksAtBothEnds) {
  EXPECT_EQ(Trim(L" \t\r\n value \v\f"), L"value");
  EXPECT_EQ(Trim(L"in  side"), L"in  side");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(Trim(L""), L"");
}

TEST(SplitText, KeepsEmptyPiecesAndGivesNoneForEmptyText) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(SplitText(L"a|b|c", L'|'), (V{L"a", L"b", L"c"}));
  EXPECT_EQ(SplitText(L"a||b", L'|'), (V{L"a", L"", L"b"}));
  EXPECT_EQ(SplitText(L"|a|", L'|'), (V{L"", L"a", L""}));
  EXPECT_EQ(SplitText(L"single", L'|'), (V{L"single"}));
  EXPECT_EQ(SplitText(L"", L'|'), V{});
  EXPECT_EQ(JoinTexts(V{L"a", L"", L"b"}, L"|"), L"a||b");
  EXPECT_EQ(JoinTexts(V{}, L"|"), L"");
}

TEST(ParseDecimal, ReadsLikeTheRuntime) {
  struct Case {
    const wchar_t* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {L"42", 42},        {L"  \t-17", -17},     {L"+8", 8},
      {L"12abc", 12},     {L"abc", 0},           {L"", 0},
      {L"-", 0},          {L"- 5", 0},           {L"  ", 0},
      {L"007", 7},        {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN},
      {L"99999999999999999999", INT_MAX},       {L"-99999999999999999999", INT_MIN},
      {L"1 2", 1},        {L"0x10", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDecimal(c.text), c.value) << "text: \"" << c.text << "\"";
  }
}

}  // namespace
}  // namespace velkor
