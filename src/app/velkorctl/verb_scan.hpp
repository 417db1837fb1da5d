#pragma once
// velkorctl scan: the scan run of the window program on the console.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"
#include "core/application_state.hpp"
#include "core/update_service.hpp"
#include "lookup/scan_result.hpp"

namespace velkor::ctl {

int RunScan(const std::vector<std::wstring>& args, const Console& console);

struct ConsoleScanOptions {
  bool answerYes = false;   // the administrator question
  bool forBackup = false;   // list the devices only
  std::wstring relaunchParameters;  // the command an elevated instance runs
};

// The scan run as `velkorctl scan` runs it: the console view, Ctrl+C as the
// Stop button, the elevated re-launch. Failures are told on standard error.
// kExitOk when the devices were listed (and, unless for the backup, the
// service answered); otherwise the command's exit code.
int RunScanOnConsole(const ConsoleScanOptions& options, const Console& console, const CUpdateService& network,
                     CApplicationState& app, ScanResult& scan);

}  // namespace velkor::ctl
