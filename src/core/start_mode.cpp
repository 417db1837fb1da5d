#include "core/start_mode.hpp"

#include "base/text.hpp"

namespace velkor {

int ParseStartMode(std::wstring_view first_argument) {
  const int value = ParseDecimal(first_argument);
  return (value == kStartScan || value == kStartBackup || value == kStartRestore) ? value : kStartHome;
}

}  // namespace velkor
