#pragma once
// Local dates and times as the program shows and stores them: the clock time
// and the long date of a scan's start, and how long a scan took. The texts are
// always English, whatever the user's locale, because the stored "LastScan"
// value is read back by every later run.

#include <string>

namespace velkor {

// A local date and time as the system clock gives it. valid is false when the
// clock could not be read (nothing is then formatted or stored from it).
struct LocalTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  bool valid = false;
};

// "09:05:03 PM " (12-hour clock with seconds, AM or PM, and a trailing space).
std::wstring FormatClockTime(const LocalTime& time);

// "December 10, 2026 09:05:03 PM " (month name, two-digit day, four-digit year,
// then the clock time as above, trailing space included).
std::wstring FormatLongDateTime(const LocalTime& time);

// "December 10, 2026   09:05 PM" (month name, two-digit day, four-digit
// year, three spaces, the 12-hour clock without seconds): the date column of
// the download page's log.
std::wstring FormatLogDate(const LocalTime& time);

// end minus start as "HH:MM:SS", rounded to the nearest second. Only the time
// of day of the difference is shown: a run of 25 hours reads "01:00:00". A
// difference below zero (the clock was set back) reads "00:00:00".
std::wstring FormatDuration(const LocalTime& start, const LocalTime& end);

// "2026120809_1530PM" (four-digit year, month, day, the hour on the 12-hour
// clock, an underscore, minute, second, AM or PM; strftime's
// "%Y%m%d%I_%M%S%p"): the date in a backup archive's name.
std::wstring FormatBackupStamp(const LocalTime& time);

}  // namespace velkor
