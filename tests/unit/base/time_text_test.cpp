#include <gtest/gtest.h>

#include "base/time_text.hpp"

namespace velkor {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.milliseconds = ms;
  t.valid = true;
  return t;
}

TEST(TimeText, ClockTimeAndLongDateUseTwelveHoursAndEnglishMonths) {
  struct Case {
    LocalTime time;
    const wchar_t* clock;
    const wchar_t* longDate;
    const wchar_t* logDate;  // the download log's date column
  };
  const Case cases[] = {
      {At(2026, 12, 10, 0, 0, 0), L"12:00:00 AM ", L"December 10, 2026 12:00:00 AM ",  // midnight
       L"December 10, 2026   12:00 AM"},
      {At(2026, 1, 5, 12, 0, 0), L"12:00:00 PM ", L"January 05, 2026 12:00:00 PM ",  // noon
       L"January 05, 2026   12:00 PM"},
      {At(2007, 2, 28, 23, 59, 59, 999), L"11:59:59 PM ", L"February 28, 2007 11:59:59 PM ",
       L"February 28, 2007   11:59 PM"},
      {At(2008, 9, 1, 9, 5, 3), L"09:05:03 AM ", L"September 01, 2008 09:05:03 AM ", L"September 01, 2008   09:05 AM"},
      {At(2008, 5, 31, 13, 7, 0), L"01:07:00 PM ", L"May 31, 2008 01:07:00 PM ", L"May 31, 2008   01:07 PM"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatClockTime(c.time), c.clock);
    EXPECT_EQ(FormatLongDateTime(c.time), c.longDate);
    EXPECT_EQ(FormatLogDate(c.time), c.logDate);
  }
}

TEST(TimeText, DurationRoundsToTheSecondAcrossMidnightAndDays) {
  struct Case {
    LocalTime start;
    LocalTime end;
    const wchar_t* text;
  };
  const Case cases[] = {
      {At(2026, 12, 10, 10, 0, 0), At(2026, 12, 10, 10, 0, 0), L"00:00:00"},
      {At(2026, 12, 10, 10, 0, 0, 400), At(2026, 12, 10, 10, 0, 0, 899), L"00:00:00"},  // 0.499 s
      {At(2026, 12, 10, 10, 0, 0, 400), At(2026, 12, 10, 10, 0, 0, 900), L"00:00:01"},  // 0.5 s
      {At(2026, 12, 10, 23, 59, 58, 400), At(2026, 12, 11, 0, 0, 1, 600), L"00:00:03"}, // over midnight
      {At(2026, 12, 31, 22, 30, 0), At(2027, 1, 1, 1, 45, 30), L"03:15:30"},            // over the year's end
      {At(2028, 2, 28, 12, 0, 0), At(2028, 3, 1, 13, 2, 3), L"01:02:03"},               // leap day between
      {At(2026, 12, 10, 8, 0, 0), At(2026, 12, 11, 9, 0, 0), L"01:00:00"},              // hours stay 0..23
      {At(2026, 12, 10, 8, 0, 0), At(2026, 12, 10, 7, 0, 0), L"00:00:00"},              // clock set back
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.start, c.end), c.text);
}

}  // namespace
}  // namespace velkor
