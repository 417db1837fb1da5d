#pragma once
// Starting this program again with administrator rights: the flows that offer
// it (the scan, the backup, the restore, the install) hand the shell the
// running image with the verb "runas" and the start mode of their page.

#include <string>

namespace velkor {

// How this program is started again elevated.
struct RelaunchCommand {
  // The running image (GetModuleFileNameW), never the command line's first
  // word looked up again through the current folder and the search path; it
  // is handed to the shell in double quotes.
  std::wstring program;
  // The command line after the program: "1" opens the scan page and scans,
  // "2" opens the backup page.
  std::wstring parameters = L"1";
  // Wait for the elevated instance and end with its exit code (a console has
  // somebody waiting for the result); otherwise end with 0 at once.
  bool waitForExit = false;
};

// Starts the command through the shell with "runas", showing no error box of
// its own. True when the shell reports success; exitCode is then the elevated
// instance's exit code when it was waited for, else 0.
bool StartElevated(const RelaunchCommand& command, unsigned& exitCode);

}  // namespace velkor
