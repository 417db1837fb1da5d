#include "backup/zip_format.hpp"

#include <limits>

namespace velkor::zip {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsPerDay = 86400;
// Days and seconds from 1601-01-01 (file time) to 1970-01-01 (Unix time).
constexpr std::int64_t kDays1601To1970 = 134774;
constexpr std::int64_t kSeconds1601To1970 = kDays1601To1970 * kSecondsPerDay;

struct CivilDate {
  std::int64_t year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};

// Proleptic Gregorian calendar, days counted from 1970-01-01.
CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const unsigned day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const unsigned month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::uint32_t DosDateTimeFromTicks(std::uint64_t localTicks) {
  const std::int64_t seconds1601 = static_cast<std::int64_t>(localTicks / kTicksPerSecond);
  const std::int64_t secondsUnix = seconds1601 - kSeconds1601To1970;
  std::int64_t days = secondsUnix / kSecondsPerDay;
  std::int64_t secondOfDay = secondsUnix % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --days;
  }
  const CivilDate date = CivilFromDays(days);
  if (date.year < 1980) return (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00
  if (date.year > 2107) return 0xFF9FBF7Du;              // 2107-12-31 23:59:58
  const auto hour = static_cast<std::uint32_t>(secondOfDay / 3600);
  const auto minute = static_cast<std::uint32_t>(secondOfDay / 60 % 60);
  const auto second = static_cast<std::uint32_t>(secondOfDay % 60);
  const std::uint32_t dosDate =
      (static_cast<std::uint32_t>(date.year - 1980) << 9) | (date.month << 5) | date.day;
  const std::uint32_t dosTime = (hour << 11) | (minute << 5) | (second / 2);
  return (dosDate << 16) | dosTime;
}

std::optional<std::uint64_t> TicksFromDosDateTime(std::uint32_t dosDateTime) {
  const std::uint32_t dosDate = dosDateTime >> 16;
  const std::uint32_t dosTime = dosDateTime & 0xFFFF;
  const std::int64_t year = 1980 + static_cast<std::int64_t>(dosDate >> 9);
  const unsigned month = (dosDate >> 5) & 0x0F;
  const unsigned day = dosDate & 0x1F;
  const unsigned hour = dosTime >> 11;
  const unsigned minute = (dosTime >> 5) & 0x3F;
  const unsigned second = (dosTime & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  const std::int64_t days = DaysFromCivil(year, month, day) + kDays1601To1970;
  const std::int64_t seconds = days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
  return static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

std::optional<std::int32_t> UnixSecondsFromTicks(std::uint64_t ticks) {
  const std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSeconds1601To1970;
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(seconds);
}

std::uint64_t TicksFromUnixSeconds(std::int32_t seconds) {
  return static_cast<std::uint64_t>(seconds + kSeconds1601To1970) * kTicksPerSecond;
}

}  // namespace velkor::zip
