// velkorctl scan [--yes|--no] [--for-backup] [--json]: the window's scan run on
// the console. The run is the same (the same texts, the same stored values
// under the product key); what the scan page shows goes to standard error, so
// that standard output carries only the report at the end.

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/ctrl_c_scope.hpp"
#include "app/velkorctl/engine_start.hpp"
#include "app/velkorctl/progress_line.hpp"
#include "app/velkorctl/report_printing.hpp"
#include "app/velkorctl/verb_scan.hpp"
#include "core/flow_host.hpp"
#include "core/shell_folders.hpp"
#include "core/update_service.hpp"
#include "core/worker_thread.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/inventory_json.hpp"
#include "lookup/scan_parts_win.hpp"
#include "lookup/scan_run.hpp"

namespace velkor::ctl {
namespace {

// The scan page on a console: status lines and messages as lines, the current
// device redrawn in place while standard error is a console window.
class ConsoleScanView final : public ScanView {
 public:
  ConsoleScanView(const Console& console, bool answerYes) : line_(console), answerYes_(answerYes) {}

  void SetStatusText(const std::wstring& text) override { line_.Line(text); }
  void SetCurrentDeviceText(const std::wstring& text) override { line_.Device(text); }
  void SetProgress(int percent) override { line_.Percent(percent); }
  void StartAnimation() override {}
  void StopAnimation() override {}
  void SetScanPhase(int) override {}
  void SetStopEnabled(bool enabled) override { stopEnabled_ = enabled; }
  void FocusStopButton() override {}
  void ShowMessage(const std::wstring& text, bool) override { line_.Line(text); }
  bool AskYesNo(const std::wstring& text) override {
    line_.Line(text);
    line_.Line(answerYes_ ? L"  -> Yes (--yes)" : L"  -> No (give --yes to answer Yes)");
    return answerYes_;
  }
  void PopulateResults() override {}
  void ShowResultPage() override {}
  void ShowHomePage() override {}
  void ShowBackupPage() override {}

  // Whether Ctrl+C can still stop the run (the exchange cannot be stopped).
  bool StopEnabled() const { return stopEnabled_; }
  // Ends a device line that was drawn in place.
  void FinishLine() { line_.Finish(); }

 private:
  ProgressLine line_;
  bool answerYes_;
  std::atomic<bool> stopEnabled_{true};
};

// Ctrl+C during the run is the Stop button: it reaches the run through these.
struct CtrlCTarget {
  FlowHost* host;
  ScanRun* run;
  ConsoleScanView* view;
};
std::atomic<CtrlCTarget*> g_target{nullptr};

BOOL WINAPI StopRunOnCtrlC(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  CtrlCTarget* target = g_target.load();
  // Once the exchange has begun, Ctrl+C ends the program as usual.
  if (target == nullptr || !target->view->StopEnabled()) return FALSE;
  target->view->SetStopEnabled(false);
  ScanRun* run = target->run;
  target->host->RequestStop(kStopScan, [run](bool acknowledged) {
    if (acknowledged) run->OnStopAnswered(true);
  });
  return TRUE;
}


}  // namespace

int RunScanOnConsole(const ConsoleScanOptions& options, const Console& console, const CUpdateService& network,
                     CApplicationState& app, ScanResult& scan) {
  // The elevated instance runs the same command; it is an administrator, so
  // it is not asked again.
  RelaunchCommand relaunch;
  relaunch.program = GetProgramModulePath();
  relaunch.parameters = options.relaunchParameters;
  relaunch.waitForExit = true;
  WinScanParts parts(network, relaunch);

  // The console runs the flow on its own thread; the host brackets it (the
  // console's application state has no window to disable) and starts the
  // stop thread for Ctrl+C.
  Win32WorkerThreads threads;
  FlowHost host(app, &TheDriverScannerApp(), threads);
  ConsoleScanView view(console, options.answerYes);
  ScanRun run(view, parts, scan, host.Stop());
  run.m_bScanForBackup = options.forBackup;
  ScanOutcome outcome;
  {
    CtrlCTarget target{&host, &run, &view};
    const CtrlCScope<CtrlCTarget> ctrlC(g_target, target, StopRunOnCtrlC);
    outcome.threw = !host.RunHere([&] { return run.Run(outcome); });
  }
  view.FinishLine();

  if (parts.DroppedDevices() > 0) {
    console.Err(L"velkorctl: " + std::to_wstring(parts.DroppedDevices()) + L" devices past the first " +
                std::to_wstring(kScanTableCapacity) + L" were not listed\n");
  }
  if (outcome.threw) {
    console.Err(L"velkorctl: the scan ended unexpectedly\n");
    return kExitFailure;
  }
  if (outcome.stopped || outcome.inventoryResult == kResultScanStopped) {
    console.Err(L"velkorctl: the scan was stopped\n");
    return kExitStopped;
  }
  if (outcome.inventoryResult != kResultCompleted) {
    console.Err(L"velkorctl: the device scan failed: no device list could be read\n");
    return kExitFailure;
  }
  if (options.forBackup) return kExitOk;
  if (outcome.networkMissing) return kExitNetworkMissing;
  if (outcome.connectionFailed) return kExitUnreachable;
  if (!scan.m_strLastScan.empty()) {
    console.Err(L"Scan started " + scan.m_strLastScan + L"(took " + scan.m_strScanDuration + L"), " +
                scan.m_strScanTotal + L" devices\n");
  }
  return kExitOk;
}

int RunScan(const std::vector<std::wstring>& args, const Console& console) {
  ConsoleScanOptions options;
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--yes") {
      options.answerYes = true;
    } else if (arg == L"--no") {
      options.answerYes = false;
    } else if (arg == L"--for-backup") {
      options.forBackup = true;
    } else if (arg == L"--json") {
      json = true;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'scan' (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  options.relaunchParameters = L"scan";
  if (options.forBackup) options.relaunchParameters += L" --for-backup";
  if (json) options.relaunchParameters += L" --json";

  const std::unique_ptr<CApplicationState> app = StartEngine();
  CUpdateService network;
  network.Load(GetProgramModuleFolder());
  ScanResult scan;
  const int code = RunScanOnConsole(options, console, network, *app, scan);
  if (code != kExitOk) return code;
  if (options.forBackup) {
    if (json) {
      console.OutBytes(WriteInventoryJson(scan.m_Devices, static_cast<std::size_t>(scan.m_nDeviceCount)));
    } else {
      PrintDeviceTable(scan.m_Devices, scan.m_nDeviceCount, console);
    }
    return kExitOk;
  }
  PrintUpdates(scan.m_Devices, scan.m_nDeviceCount, scan.Updates(), scan.m_nUpdateCount, scan.m_UpdateList, json,
               console);
  return kExitOk;
}

}  // namespace velkor::ctl
