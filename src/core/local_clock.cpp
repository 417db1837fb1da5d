#include "core/local_clock.hpp"

#include <windows.h>

namespace velkor {

LocalTime CurrentLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.milliseconds = now.wMilliseconds;
  time.valid = now.wYear != 0 && now.wMonth >= 1 && now.wMonth <= 12 && now.wDay >= 1;
  return time;
}

}  // namespace velkor
