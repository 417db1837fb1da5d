#pragma once
// velkorctl's verbs: a table of names, one small function each.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

// Process exit codes of velkorctl (documented in README and docs/architecture.md).
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,
  kExitUnreachable = 3,     // scan: the update service could not be reached
  kExitNetworkMissing = 4,  // scan: Network.dll is missing beside velkorctl.exe
  kExitSomeFailed = 5,      // download: a chosen package is not here and verified
  kExitNotVerified = 7,     // check-update: the version file or the setup failed verification
  kExitStopped = 130,       // as a shell reports a program ended by Ctrl+C
};

// Runs the command line (without the program name); returns the exit code.
int RunCommandLine(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
