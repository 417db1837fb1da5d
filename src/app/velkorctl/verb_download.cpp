// velkorctl download [--all | --device N ...] [--yes|--no] [--json]: scans this
// machine as `velkorctl scan` does, then downloads the chosen packages (every
// out-of-date device by default) with the window's download queue. The page's
// log lines go to standard error with their date column, the progress line is
// redrawn in place on a console (its last state written once otherwise), and
// the texts of the page's message boxes are printed; Download.dat is updated
// exactly as the window updates it. Standard output: one line per chosen device.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/ctrl_c_scope.hpp"
#include "app/velkorctl/device_choice.hpp"
#include "app/velkorctl/engine_start.hpp"
#include "app/velkorctl/verb_download.hpp"
#include "app/velkorctl/verb_scan.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"
#include "core/flow_host.hpp"
#include "core/shell_folders.hpp"
#include "core/update_service.hpp"
#include "core/worker_thread.hpp"
#include "download/download_parts_win.hpp"
#include "download/download_queue.hpp"
#include "download/file_md5.hpp"
#include "download/folder_name.hpp"
#include "download/http_downloader.hpp"
#include "lookup/result_rows.hpp"

namespace velkor::ctl {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kProgressWidth = 78;
constexpr DWORD kRedrawEveryMs = 100;

// The download page on a console. Lines come from the worker (the calling
// thread) and, for Ctrl+C, from the console's handler thread.
class ConsoleDownloadView final : public DownloadView {
 public:
  ConsoleDownloadView(const Console& console, ScanResult& scan) : console_(console), scan_(scan) {}

  void ClearLog() override {}
  void LogLine(const std::wstring& date, const std::wstring& text, bool newLine) override {
    const std::lock_guard<std::mutex> lock(lock_);
    const std::wstring line = date + L"   " + text;
    if (newLine) {
      EndProgressLine();
      console_.Err(line + L"\n");
      return;
    }
    progress_ = line;
    if (!console_.ErrIsConsole()) return;  // written once, when the next line comes
    const DWORD now = ::GetTickCount();
    if (shown_ && now - lastRedraw_ < kRedrawEveryMs) return;
    lastRedraw_ = now;
    std::wstring shown = line.substr(0, kProgressWidth);
    shown.resize(kProgressWidth, L' ');
    console_.Err(L"\r" + shown);
    shown_ = true;
  }
  void SetProgress(int) override {}
  void SetHeadingDescription(const wchar_t*) override {}
  void ShowRunButtons(bool running) override { stopEnabled_ = running; }
  void SetStopEnabled(bool enabled) override { stopEnabled_ = enabled; }
  void SetStopLabel(const std::wstring&) override {}
  void ShowMessage(const std::wstring& text) override {
    const std::lock_guard<std::mutex> lock(lock_);
    EndProgressLine();
    console_.Err(text + L"\n");
  }
  void SetRowKind(int row, int kind) override {
    if (row >= 0 && static_cast<std::size_t>(row) < scan_.m_Rows.size()) {
      scan_.m_Rows[static_cast<std::size_t>(row)].kind = kind;
    }
  }
  void ClosePage() override {}
  void OpenInstallConfirmation() override {}

  // Whether Ctrl+C is the Stop button now (a run goes on, Stop not pressed yet).
  bool StopEnabled() const { return stopEnabled_; }
  void Finish() {
    const std::lock_guard<std::mutex> lock(lock_);
    EndProgressLine();
  }

 private:
  // The progress line's last state stays on the screen (or is written now).
  void EndProgressLine() {
    if (progress_.empty()) return;
    if (console_.ErrIsConsole()) {
      std::wstring shown = progress_.substr(0, kProgressWidth);
      shown.resize(kProgressWidth, L' ');
      console_.Err(L"\r" + shown + L"\n");
    } else {
      console_.Err(progress_ + L"\n");
    }
    progress_.clear();
    shown_ = false;
  }

  const Console& console_;
  ScanResult& scan_;
  std::mutex lock_;
  std::wstring progress_;
  bool shown_ = false;
  DWORD lastRedraw_ = 0;
  std::atomic<bool> stopEnabled_{false};
};

// The HTTP downloader of the console: its progress and its reports go to the
// queue, as the page's do; nothing asks the user.
class ConsoleDownloader final : public CHttpDownloader {
 public:
  explicit ConsoleDownloader(std::wstring appName) : CHttpDownloader(std::move(appName)) {
    m_bufferSize = kQueueBufferBytes;
  }
  DownloadQueue* queue = nullptr;

  void ReportSystemError(UINT messageId, DWORD error) override { Report(SystemReportText(messageId, error)); }
  void ReportCodeError(UINT messageId, DWORD code) override { Report(CodeReportText(messageId, code)); }
  void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) override {
    if (queue != nullptr) queue->OnProgress(bytes, sizeKnown, total, m_startOffset);
  }

 private:
  void Report(const std::wstring& text) {
    if (queue != nullptr) queue->OnTransferReport(text);
  }
};

// Ctrl+C during the downloads is the Stop button.
struct CtrlCTarget {
  FlowHost* host;
  DownloadQueue* queue;
  ConsoleDownloadView* view;
};
std::atomic<CtrlCTarget*> g_target{nullptr};

BOOL WINAPI StopDownloadOnCtrlC(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  CtrlCTarget* target = g_target.load();
  // A second Ctrl+C, or one outside a run, ends the program as usual.
  if (target == nullptr || !target->view->StopEnabled()) return FALSE;
  target->host->RequestStop(0);
  target->queue->OnStopCommand();
  return TRUE;
}


struct Options : DeviceChoice {
  bool answerYes = false;
  bool json = false;
};

int ParseOptions(const std::vector<std::wstring>& args, const Console& console, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (const DeviceOption taken = TakeDeviceOption(args, i, console, options); taken != DeviceOption::NotOne) {
      if (taken == DeviceOption::Usage) return kExitUsage;
    } else if (arg == L"--yes") {
      options.answerYes = true;
    } else if (arg == L"--no") {
      options.answerYes = false;
    } else if (arg == L"--json") {
      options.json = true;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'download' (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  return CheckDeviceChoice(options, console);
}

// The result list as the result page fills it, without a window.
void FillRows(ScanResult& scan, const StringMap& downloads) {
  ResultRows rows = BuildResultRows(scan.m_UpdateList, scan.Updates(), scan.m_bScanFinished.load(),
                                    scan.m_nUpdateCount,
                                    [&downloads](const DeviceRecord& update) { return PackageReady(downloads, update); });
  scan.m_Rows = std::move(rows.rows);
  scan.m_RowToDevice = std::move(rows.rowToDevice);
  scan.m_strShownDevices = std::move(rows.shownDevices);
}

int RowOfDevice(const ScanResult& scan, std::int32_t device) {
  for (std::size_t row = 0; row < scan.m_Rows.size(); ++row) {
    if (scan.DeviceOfRow(static_cast<int>(row)) == device) return static_cast<int>(row);
  }
  return -1;
}

struct DeviceLine {
  std::int32_t device;
  std::wstring name;
  std::wstring state;  // downloaded, skipped, failed, stopped
  std::wstring path;
  std::wstring report;
};

}  // namespace

int RunDownload(const std::vector<std::wstring>& args, const Console& console) {
  Options options;
  if (const int usage = ParseOptions(args, console, options); usage != kExitOk) return usage;

  const std::unique_ptr<CApplicationState> app = StartEngine();
  CUpdateService network;
  network.Load(GetProgramModuleFolder());
  ScanResult scan;
  ConsoleScanOptions scanOptions;
  scanOptions.answerYes = options.answerYes;
  scanOptions.relaunchParameters = L"download";
  for (const std::wstring& arg : args) scanOptions.relaunchParameters += L" " + arg;
  if (const int code = RunScanOnConsole(scanOptions, console, network, *app, scan); code != kExitOk) return code;

  FillRows(scan, app->m_DownloadList);
  std::vector<std::int32_t> chosen = options.devices;
  for (const std::int32_t device : chosen) {
    if (RowOfDevice(scan, device) < 0) {
      console.Err(L"velkorctl: device " + std::to_wstring(device) + L" has no update to download\n");
      return kExitUsage;
    }
  }
  const bool all = chosen.empty();
  if (all) {
    for (std::size_t row = 0; row < scan.m_Rows.size(); ++row) {
      const std::int32_t device = scan.DeviceOfRow(static_cast<int>(row));
      if (device >= 0) chosen.push_back(device);
    }
  }

  Win32WorkerThreads threads;
  FlowHost host(*app, nullptr, threads);
  ConsoleDownloader downloader(ApplicationName());
  WinDownloadParts parts(*app, network, downloader);
  ConsoleDownloadView view(console, scan);
  DownloadQueue queue(view, parts, scan, app->m_DownloadList, host.Stop(), OsCodeText());
  downloader.queue = &queue;

  std::vector<DeviceDownload> handled;
  bool stopped = false;
  bool threw = false;
  {
    CtrlCTarget target{&host, &queue, &view};
    const CtrlCScope<CtrlCTarget> ctrlC(g_target, target, StopDownloadOnCtrlC);
    const auto collect = [&](const DownloadOutcome& outcome) {
      handled.insert(handled.end(), outcome.devices.begin(), outcome.devices.end());
      stopped = stopped || outcome.stopped;
    };
    if (all) {
      DownloadOutcome outcome;
      threw = !host.RunHere([&] { return queue.DownloadAllThread(outcome); });
      collect(outcome);
      // The window would now ask whether to install; the console only downloads.
      host.EndKeptOperation();
    } else {
      for (const std::int32_t device : chosen) {
        DownloadOutcome outcome;
        threw = !host.RunHere([&] { return queue.DownloadOneThread(device, RowOfDevice(scan, device), outcome); });
        collect(outcome);
        if (threw || stopped) break;
      }
    }
  }
  view.Finish();
  if (threw) {
    console.Err(L"velkorctl: the download ended unexpectedly\n");
    return kExitFailure;
  }

  std::vector<DeviceLine> lines;
  bool unreachable = false;
  bool allHere = true;
  for (const std::int32_t device : chosen) {
    DeviceLine line{device, {}, L"stopped", {}, {}};
    if (const DeviceRecord* record = scan.m_Devices.Slot(device)) line.name = record->Name;
    const DeviceDownload* last = nullptr;
    for (const DeviceDownload& entry : handled) {
      if (entry.device == device) last = &entry;
    }
    const DeviceRecord* update = scan.UpdateOf(device);
    const auto listed = update != nullptr ? app->m_DownloadList.find(DownloadFileKey(update->HardwareId))
                                          : app->m_DownloadList.end();
    if (last != nullptr) {
      line.report = last->report;
      if (last->ok) {
        line.state = L"downloaded";
        line.path = last->path;
      } else if (last->code == 2) {
        line.state = L"skipped";
      } else if (last->code != 0) {
        line.state = L"failed";
        unreachable = unreachable || last->code == -2;
      }
    } else if (scan.m_Rows[static_cast<std::size_t>(RowOfDevice(scan, device))].kind == kRowInstall &&
               listed != app->m_DownloadList.end()) {
      // Here and verified before the run: nothing to fetch.
      line.state = L"downloaded";
      line.path = listed->second;
    }
    allHere = allHere && line.state == L"downloaded";
    lines.push_back(std::move(line));
  }

  if (options.json) {
    Json out = Json::array();
    for (const DeviceLine& line : lines) {
      Json entry;
      entry["device"] = line.device;
      entry["name"] = ToUtf8(line.name);
      entry["state"] = ToUtf8(line.state);
      entry["path"] = ToUtf8(line.path);
      if (!line.report.empty()) entry["report"] = ToUtf8(Trim(line.report));
      out.push_back(std::move(entry));
    }
    console.OutBytes(out.dump(2) + "\n");
  } else {
    for (const DeviceLine& line : lines) {
      console.Out(std::to_wstring(line.device) + L"\t" + line.name + L"\t" + line.state + L"\t" + line.path + L"\n");
      if (!line.report.empty()) console.Err(L"  " + line.name + L": " + Trim(line.report) + L"\n");
    }
  }
  if (stopped) return kExitStopped;
  if (unreachable) return kExitUnreachable;
  return allHere ? kExitOk : kExitSomeFailed;
}

}  // namespace velkor::ctl
