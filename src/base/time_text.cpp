#include "base/time_text.hpp"

#include <array>
#include <cstdint>
#include <cstdio>

namespace velkor {
namespace {

constexpr std::array<const wchar_t*, 12> kMonthNames = {
    L"January", L"February", L"March",     L"April",   L"May",      L"June",
    L"July",    L"August",   L"September", L"October", L"November", L"December"};

std::wstring TwoDigits(int value) {
  if (value < 0) value = 0;
  value %= 100;
  return std::wstring{static_cast<wchar_t>(L'0' + value / 10), static_cast<wchar_t>(L'0' + value % 10)};
}

// Days since 1970-01-01 of a proleptic Gregorian date (valid for any year the
// clock can give; months and days out of range are clamped by the caller).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (m + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

std::int64_t MillisecondsOf(const LocalTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, Clamp(t.month, 1, 12), Clamp(t.day, 1, 31));
  return (((days * 24 + Clamp(t.hour, 0, 23)) * 60 + Clamp(t.minute, 0, 59)) * 60 + Clamp(t.second, 0, 59)) * 1000 +
         Clamp(t.milliseconds, 0, 999);
}

// "December 10, 2026": month name, two-digit day, four-digit year.
std::wstring LongDate(const LocalTime& time) {
  const int year = Clamp(time.year, 0, 9999);
  wchar_t digits[8];
  std::swprintf(digits, sizeof digits / sizeof digits[0], L"%04d", year);
  return std::wstring(kMonthNames[static_cast<std::size_t>(Clamp(time.month, 1, 12) - 1)]) + L" " +
         TwoDigits(Clamp(time.day, 1, 31)) + L", " + digits;
}

}  // namespace

std::wstring FormatClockTime(const LocalTime& time) {
  const int hour = Clamp(time.hour, 0, 23);
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return TwoDigits(hour12) + L":" + TwoDigits(Clamp(time.minute, 0, 59)) + L":" +
         TwoDigits(Clamp(time.second, 0, 59)) + (hour < 12 ? L" AM " : L" PM ");
}

std::wstring FormatLongDateTime(const LocalTime& time) { return LongDate(time) + L" " + FormatClockTime(time); }

std::wstring FormatLogDate(const LocalTime& time) {
  const int hour = Clamp(time.hour, 0, 23);
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return LongDate(time) + L"   " + TwoDigits(hour12) + L":" + TwoDigits(Clamp(time.minute, 0, 59)) +
         (hour < 12 ? L" AM" : L" PM");
}

std::wstring FormatDuration(const LocalTime& start, const LocalTime& end) {
  std::int64_t ms = MillisecondsOf(end) - MillisecondsOf(start);
  if (ms < 0) ms = 0;
  const std::int64_t seconds = (ms + 500) / 1000;
  const int hours = static_cast<int>((seconds / 3600) % 24);
  const int minutes = static_cast<int>((seconds / 60) % 60);
  return TwoDigits(hours) + L":" + TwoDigits(minutes) + L":" + TwoDigits(static_cast<int>(seconds % 60));
}

std::wstring FormatBackupStamp(const LocalTime& time) {
  const int year = Clamp(time.year, 0, 9999);
  wchar_t digits[8];
  std::swprintf(digits, sizeof digits / sizeof digits[0], L"%04d", year);
  const int hour = Clamp(time.hour, 0, 23);
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return digits + TwoDigits(Clamp(time.month, 1, 12)) + TwoDigits(Clamp(time.day, 1, 31)) + TwoDigits(hour12) + L"_" +
         TwoDigits(Clamp(time.minute, 0, 59)) + TwoDigits(Clamp(time.second, 0, 59)) + (hour < 12 ? L"AM" : L"PM");
}

}  // namespace velkor
