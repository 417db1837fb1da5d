#pragma once
// The page the program opens with, from its first command-line argument: 1 the
// scan page (a scan starts at once), 2 the backup page, 3 the restore page.
// The elevated re-launch passes the same number so the user resumes where they were.

#include <string_view>

namespace velkor {

enum StartMode : int {
  kStartHome = 0,
  kStartScan = 1,
  kStartBackup = 2,
  kStartRestore = 3,
};

// The first argument read as a decimal integer; anything but 1, 2 or 3 (also no
// argument, or one that is not a number) is 0.
int ParseStartMode(std::wstring_view first_argument);

}  // namespace velkor
