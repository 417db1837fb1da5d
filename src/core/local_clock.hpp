#pragma once
// The system's local clock as the platform-free time texts take it.

#include "base/time_text.hpp"

namespace velkor {

LocalTime CurrentLocalTime();

}  // namespace velkor
