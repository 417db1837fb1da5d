// velkorctl backup [--all | --device N ...] [--json]: lists this machine's
// devices with the scan for the backup (no update service needed), then backs
// up the chosen ones (every device by default) with the window's backup run:
// the same working folder, backup folder, archive name and Backup.dat. What
// the page shows goes to standard error; standard output carries the
// archive's path (or, with --json, one document).
//
// velkorctl backups [--json]: the archives of Backup.dat with their entry
// counts, as the restore page would list them.

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/ctrl_c_scope.hpp"
#include "app/velkorctl/device_choice.hpp"
#include "app/velkorctl/engine_start.hpp"
#include "app/velkorctl/progress_line.hpp"
#include "app/velkorctl/verb_backup.hpp"
#include "app/velkorctl/verb_scan.hpp"
#include "backup/backup_parts_win.hpp"
#include "backup/backup_run.hpp"
#include "backup/zip_archive.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"
#include "core/flow_host.hpp"
#include "core/shell_folders.hpp"
#include "core/update_service.hpp"
#include "core/worker_thread.hpp"
#include "inventory/driver_scanner_app.hpp"

namespace velkor::ctl {
namespace {

using Json = nlohmann::ordered_json;

// The backup page on a console: status lines and messages as lines, the
// device being backed up redrawn in place while standard error is a console.
class ConsoleBackupView final : public BackupView {
 public:
  ConsoleBackupView(const Console& console, std::vector<std::int32_t> chosen)
      : line_(console), chosen_(std::move(chosen)) {}

  void SetStatusText(const std::wstring& text) override { line_.Line(text); }
  void SetDeviceText(const std::wstring&) override {}
  void ShowCurrentDevice(const std::wstring& name, const std::wstring& classDescription) override {
    line_.Device(name + L" (" + classDescription + L")");
  }
  void SetProgress(int percent) override { line_.Percent(percent); }
  void ShowMessage(const std::wstring& text, bool) override { line_.Line(text); }
  bool AskYesNo(const std::wstring& text) override {
    line_.Line(text);
    line_.Line(L"  -> No (run velkorctl elevated for a full backup)");
    return false;
  }
  void ShowRunControls() override { phase_ = Phase::Copying; }
  void SetDescription(const wchar_t*) override {}
  void SetStopEnabled(bool enabled) override {
    if (!enabled) phase_ = Phase::Packing;
  }
  void SetBackupEnabled(bool) override {}
  std::optional<std::vector<std::int32_t>> CheckedDevices() override { return chosen_; }
  void ShowSummary(const BackupSummary& summary) override {
    const std::wstring* values[4] = {&summary.total, &summary.selected, &summary.done, &summary.notDone};
    for (int i = 0; i < 4; ++i) line_.Line(std::wstring(kBackupSummaryCaptions[i]) + L" " + *values[i]);
  }
  void StartResultTimer(int timerId) override {
    line_.Line(timerId == kTimerBackupAborted ? kBackupAbortedMessage : kBackupCompletedMessage);
  }

  // What Ctrl+C does: before the copying begins nothing is written yet and it
  // ends the program as usual; while the drivers are copied it is the Stop
  // button (once); while the archive is written it is ignored, so that no
  // half-written archive is left behind.
  enum class Phase { Starting, Copying, Stopping, Packing };
  Phase TakeCtrlC() {
    Phase expected = Phase::Copying;
    if (phase_.compare_exchange_strong(expected, Phase::Stopping)) return Phase::Copying;
    return expected;
  }
  void FinishLine() { line_.Finish(); }

 private:
  ProgressLine line_;
  std::vector<std::int32_t> chosen_;
  std::atomic<Phase> phase_{Phase::Starting};
};

struct CtrlCTarget {
  FlowHost* host;
  BackupRun* run;
  ConsoleBackupView* view;
};
std::atomic<CtrlCTarget*> g_target{nullptr};

BOOL WINAPI StopBackupOnCtrlC(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  CtrlCTarget* target = g_target.load();
  if (target == nullptr) return FALSE;
  const ConsoleBackupView::Phase phase = target->view->TakeCtrlC();
  if (phase == ConsoleBackupView::Phase::Starting) return FALSE;
  if (phase != ConsoleBackupView::Phase::Copying) return TRUE;
  BackupRun* run = target->run;
  target->host->RequestStop(kStopBackup, [run](bool acknowledged) { run->OnStopAnswered(acknowledged); });
  return TRUE;
}

struct Options : DeviceChoice {
  bool json = false;
};

int ParseOptions(const std::vector<std::wstring>& args, const Console& console, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (const DeviceOption taken = TakeDeviceOption(args, i, console, options); taken != DeviceOption::NotOne) {
      if (taken == DeviceOption::Usage) return kExitUsage;
    } else if (arg == L"--json") {
      options.json = true;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'backup' (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  return CheckDeviceChoice(options, console);
}

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

}  // namespace

int RunBackup(const std::vector<std::wstring>& args, const Console& console) {
  Options options;
  if (const int code = ParseOptions(args, console, options); code != kExitOk) return code;

  const std::unique_ptr<CApplicationState> app = StartEngine();
  CUpdateService network;
  network.Load(GetProgramModuleFolder());
  ScanResult scan;
  ConsoleScanOptions scanOptions;
  scanOptions.forBackup = true;
  scanOptions.relaunchParameters = L"scan --for-backup";
  if (const int code = RunScanOnConsole(scanOptions, console, network, *app, scan); code != kExitOk) return code;

  for (const std::int32_t number : options.devices) {
    if (number >= scan.m_nDeviceCount) {
      console.Err(L"velkorctl: there is no device " + std::to_wstring(number) + L" (this machine lists " +
                  std::to_wstring(scan.m_nDeviceCount) + L"; see 'velkorctl inventory')\n");
      return kExitUsage;
    }
  }
  // Every device unless some are named, as the page's box does.
  app->m_bBackupAll = options.devices.empty();
  if (scan.m_nDeviceCount <= 0) {
    console.Err(std::wstring(kBackupNothingSelected) + L"\n");
    return kExitFailure;
  }

  WinBackupParts parts(app->m_Settings, [&app] { return app->SaveList(ListKind::Backup); },
                       RelaunchCommand{GetProgramModulePath(), L"backup", true});
  Win32WorkerThreads threads;
  FlowHost host(*app, &TheDriverScannerApp(), threads);
  BackupRun run(parts,
                BackupLinks{scan.m_Devices, scan.m_nDeviceCount, app->m_strTempFolder, app->m_strBackupFolder,
                            app->m_BackupList, app->m_bBackupAll},
                host.Stop());
  ConsoleBackupView view(console, options.devices);
  BackupOutcome outcome;
  bool threw = false;
  {
    CtrlCTarget target{&host, &run, &view};
    const CtrlCScope<CtrlCTarget> ctrlC(g_target, target, StopBackupOnCtrlC);
    threw = !host.RunHere([&] { return run.Run(view, outcome); });
  }
  view.FinishLine();

  if (threw) {
    console.Err(L"velkorctl: the backup ended unexpectedly\n");
    return kExitFailure;
  }
  if (outcome.compressResult == -1) return kExitFailure;  // the run printed why
  if (outcome.stopped) return kExitStopped;
  if (outcome.archivePath.empty() || run.m_nStarted <= 0) {
    console.Err(L"velkorctl: no archive was written\n");
    return kExitFailure;
  }

  if (options.json) {
    Json document;
    document["archive"] = Utf8(outcome.archivePath);
    document["archiveName"] = Utf8(outcome.archivePath.substr(outcome.archivePath.rfind(L'\\') + 1));
    document["summary"] = {{"total", Utf8(outcome.summary.total)},
                           {"selected", Utf8(outcome.summary.selected)},
                           {"done", Utf8(outcome.summary.done)},
                           {"notDone", Utf8(outcome.summary.notDone)}};
    document["devicesChosen"] = run.m_nChosen.load();
    document["devicesBackedUp"] = run.m_nStarted.load();
    console.OutBytes(document.dump(2) + "\n");
  } else {
    console.Out(outcome.archivePath + L"\n");
  }
  return kExitOk;
}

int RunBackups(const std::vector<std::wstring>& args, const Console& console) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg != L"--json") {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'backups' (see 'velkorctl help')\n");
      return kExitUsage;
    }
    json = true;
  }
  const std::unique_ptr<CApplicationState> app = StartEngine();
  Json list = Json::array();
  for (const auto& [name, path] : app->m_BackupList) {
    // As the restore lists them: an archive that does not open, or holds
    // nothing, counts no entries.
    int entries = -1;
    if (ZipHandle archive = ZipOpen(path)) {
      ZipEntry count;
      if (ZipGetEntry(archive, -1, count) == kZipOk) entries = count.index;
      ZipClose(archive);
    }
    if (json) {
      Json entry;
      entry["name"] = Utf8(name);
      entry["path"] = Utf8(path);
      entry["entries"] = entries >= 0 ? Json(entries) : Json(nullptr);
      list.push_back(entry);
    } else {
      console.Out(name + L"\t" + (entries >= 0 ? std::to_wstring(entries) : std::wstring(L"-")) + L"\t" + path +
                  L"\n");
    }
  }
  if (json) {
    console.OutBytes(list.dump(2) + "\n");
  } else {
    console.Out(std::to_wstring(app->m_BackupList.size()) + L" backups\n");
  }
  return kExitOk;
}

}  // namespace velkor::ctl
