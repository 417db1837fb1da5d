#include <gtest/gtest.h>

#include <string>

#include "core/start_mode.hpp"
#include "inventory/system_text.hpp"

namespace velkor {
namespace {

TEST(StartMode, OnlyOneTwoAndThreeChooseAPage) {
  const struct {
    const wchar_t* argument;
    int mode;
  } cases[] = {
      {L"1", 1}, {L"2", 2}, {L"3", 3}, {L"", 0}, {L"0", 0}, {L"7", 0}, {L"x", 0},
      {L" 2", 2}, {L"2x", 2}, {L"-1", 0}, {L"+3", 3}, {L"99999999999", 0}, {L"4294967297", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(ParseStartMode(c.argument), c.mode);
  }
}

TEST(FormatSize, UnitsAndRounding) {
  const struct {
    std::int64_t bytes;
    const wchar_t* text;
  } cases[] = {
      {0, L"0 Bytes"},
      {1000, L"1000 Bytes"},
      {1023, L"1023 Bytes"},
      {-5, L"-5 Bytes"},
      {-9000000000LL, L"-9000000000 Bytes"},
      {1024, L"1.00 KB"},
      {1536, L"1.50 KB"},
      {1048575, L"1024.00 KB"},  // single precision rounds the quotient up to 1024
      {1048576, L"1.00 MB"},
      {536870912, L"512.00 MB"},
      {2LL * 1073741824, L"2.00 GB"},
      {3221225472LL, L"3.00 GB"},
      {5LL << 50, L"5242880.00 GB"},  // no unit above GB
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(FormatSize(c.bytes), c.text);
  }
}

TEST(SystemText, NormalisesBlanksAndCutsLongProcessorNames) {
  EXPECT_EQ(NormaliseSystemText(L"  Intel(R) Pentium(R) 4      CPU  3.00GHz  "), L"Intel(R) Pentium(R) 4 CPU 3.00GHz");
  EXPECT_EQ(NormaliseSystemText(L"x86 Family 15 Model 4 Stepping 1"), L"x86 Family 15 Model 4 Stepping 1");
  EXPECT_EQ(NormaliseSystemText(L"     "), L"");
  EXPECT_EQ(NormaliseSystemText(L""), L"");

  const std::wstring name48 = L"Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz X";
  const std::wstring normalised = NormaliseSystemText(name48);
  ASSERT_EQ(normalised.size(), 44u);
  EXPECT_EQ(CutProcessorName(normalised), normalised.substr(0, 40) + L"...");
  EXPECT_EQ(CutProcessorName(std::wstring(40, L'a')), std::wstring(40, L'a'));
  EXPECT_EQ(CutProcessorName(std::wstring(41, L'a')), std::wstring(40, L'a') + L"...");
  EXPECT_EQ(CutProcessorName(std::wstring(48, L'b')), std::wstring(40, L'b') + L"...");
}

}  // namespace
}  // namespace velkor
