#include "base/utf.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

// U+1F600 as the platform's wide text: a surrogate pair where wchar_t is 16 bits.
std::wstring Emoji() {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  } else {
    return std::wstring(1, static_cast<wchar_t>(0x1F600));
  }
}

TEST(Utf8, EncodesAndDecodesEveryLength) {
  const std::wstring text = L"A\u00E9\u20AC" + Emoji();
  const std::string bytes = ToUtf8(text);
  EXPECT_EQ(bytes, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"a\xFF" "b", L"a\uFFFDb"},              // byte that never starts a sequence
      {"\xC3", L"\uFFFD"},                     // truncated at the end
      {"\xC3(", L"\uFFFD("},                   // continuation missing
      {"\xC0\xAF", L"\uFFFD\uFFFD"},           // overlong lead is never valid
      {"\xE0\x80\xAF", L"\uFFFD"},             // overlong three-byte form
      {"\xED\xA0\x80", L"\uFFFD"},             // encoded surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD"},         // past U+10FFFF
      {std::string("x\0y", 3), std::wstring(L"x\0y", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromUtf8(c.bytes), c.text);
  }
}

TEST(Utf8, UnpairedSurrogateEncodesAsReplacement) {
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xEF\xBF\xBDx");
  }
}

TEST(Utf16Le, RoundTripsWithSurrogatePairs) {
  const std::wstring text = L"Hi\u00E9" + Emoji();
  const std::string bytes = ToUtf16Le(text);
  EXPECT_EQ(bytes, std::string("H\0i\0\xE9\0\x3D\xD8\x00\xDE", 10));
  EXPECT_EQ(FromUtf16Le(bytes), text);
}

TEST(Utf16Le, OddLengthAndLoneSurrogatesDoNotFail) {
  EXPECT_EQ(FromUtf16Le(std::string("A\0B", 3)), L"A\uFFFD");
  const std::wstring lone = FromUtf16Le(std::string("\x00\xD8" "A\0", 4));
  ASSERT_EQ(lone.size(), 2u);
  EXPECT_EQ(lone[1], L'A');
  EXPECT_EQ(FromUtf16Le(std::string()), L"");
}

}  // namespace
}  // namespace velkor
