#pragma once
// The download queue: fetches the driver packages of the devices the user
// chose on the result page, one after another, into the download folder;
// verifies each against the MD5 the update service gives; logs every step
// with its date; records every good package in the download list (saved as
// Download.dat); and after a download-all run that produced packages hands
// over to the install confirmation.
//
// A flow (core/flow_host.hpp): the page's worker runs DownloadOneThread or
// DownloadAllThread on the flow host (the console's download command runs them
// on its own thread). What the page shows goes through DownloadView, what the
// run needs from the machine, the service and the transfer through
// DownloadParts. The install sequence reuses the page: its log, its bar, its
// buttons (LogLine, SetFilePercent, BeginRun/EndRun) and the fields it reads
// (m_goInstall, m_runTotal, m_runIndex, m_installedCount).

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/time_text.hpp"
#include "core/flow_host.hpp"
#include "core/list_file.hpp"
#include "core/stop_request.hpp"
#include "lookup/scan_result.hpp"

namespace velkor {

// What the download page shows. Calls come from the worker thread (and, for
// the Stop command, from the UI thread); the window hands each to the UI
// dispatcher.
class DownloadView {
 public:
  virtual ~DownloadView() = default;
  // Empties the log; the next line goes to its first row.
  virtual void ClearLog() = 0;
  // A log line with its date column. newLine: stacked below the earlier lines;
  // otherwise the progress line, which the next progress line replaces in place.
  virtual void LogLine(const std::wstring& date, const std::wstring& text, bool newLine) = 0;
  // The overall progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  // The heading's description, by its interface text key.
  virtual void SetHeadingDescription(const wchar_t* textKey) = 0;
  // Run mode: Stop shown and enabled with the caption "Stop", Close hidden and
  // disabled; and out of it: Stop hidden and disabled, Close shown and enabled.
  virtual void ShowRunButtons(bool running) = 0;
  virtual void SetStopEnabled(bool enabled) = 0;
  virtual void SetStopLabel(const std::wstring& text) = 0;
  // A message box owned by the page, titled with the application name.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // A result-list row's state (kRowDownload, kRowInstall; 2 once installed):
  // the scan result's typed row and the list control's row, redrawn.
  virtual void SetRowKind(int row, int kind) = 0;
  // Closes the page (nothing is left to download).
  virtual void ClosePage() = 0;
  // After a download-all run with packages: hides the page and opens the
  // install confirmation over the main window, for every downloaded row. The
  // operation stays on until the confirmation ends it.
  virtual void OpenInstallConfirmation() = 0;
};

// What the run needs from the machine, the update service and the transfer.
class DownloadParts {
 public:
  virtual ~DownloadParts() = default;
  virtual LocalTime Now() = 0;
  // The download folder (setting DownloadLoc), read afresh each time; ends in
  // a backslash.
  virtual std::wstring DownloadFolder() = 0;
  virtual bool PathExists(const std::wstring& path) = 0;
  virtual bool CreateFolder(const std::wstring& path) = 0;
  virtual bool DeleteFile(const std::wstring& path) = 0;
  // 32 lower-case hexadecimal digits, or empty when the file cannot be read.
  virtual std::wstring FileMd5(const std::wstring& path) = 0;
  // The network component's DriverLookup through its fallback procedure: the
  // answer is "URL|MD5". False when the service could not be asked.
  virtual bool DriverLookup(const std::wstring& serverHardwareId, const std::wstring& osCode,
                            std::wstring& answer) = 0;
  // Writes the download list to Download.dat.
  virtual bool SaveDownloadList() = 0;
  // Empties the worker thread's message queue.
  virtual void PumpMessages() = 0;
  virtual void SleepMilliseconds(unsigned milliseconds) = 0;

  // The transfer (the page's HTTP downloader): its address and target file.
  virtual void SetTransfer(const std::wstring& url, const std::wstring& path) = 0;
  // One transfer of the address into the file; true on success.
  virtual bool Download() = 0;
  // Whether the last transfer opened its target file.
  virtual bool TransferOpenedFile() = 0;
  virtual void ClearTransferAbort() = 0;
  // Unblocks a transfer in progress (from any thread).
  virtual void AbortTransfer() = 0;
  // Drops any copy of the address that the system's cache keeps.
  virtual void ForgetCachedCopy(const std::wstring& url) = 0;
  // The transfer's status text by message id.
  virtual void ShowTransferStatus(int messageId) = 0;
};

// What became of one device of a run.
struct DeviceDownload {
  std::int32_t device = -1;
  int row = -1;
  // DownloadDevice's code: 1 handled (see ok), 2 no download link, 0 stopped,
  // -2 the update service could not be asked.
  int code = 0;
  bool ok = false;      // the package is here and verified
  std::wstring path;    // where it is (ok only)
  std::wstring report;  // the transfer's last error report, if any
};

struct DownloadOutcome {
  std::vector<DeviceDownload> devices;  // in the order handled
  bool stopped = false;                 // the run saw a Stop
  bool installConfirmation = false;     // handed over to the install confirmation
};

class DownloadQueue {
 public:
  // osCode: the OS version code as decimal text (m_osCode), computed once.
  DownloadQueue(DownloadView& view, DownloadParts& parts, ScanResult& scan, StringMap& downloadList,
                StopRequest& stop, std::wstring osCode);

  // The thread entries: one device's package (device number, or -1, and its
  // result-list row), or every row still to be downloaded. The flow host runs
  // them; DownloadAllThread keeps the operation when it hands over to the
  // install confirmation.
  FlowEnd DownloadOneThread(std::int32_t device, int row, DownloadOutcome& outcome);
  FlowEnd DownloadAllThread(DownloadOutcome& outcome);

  // 1 handled (m_lastOk tells how), 2 no download link, 0 stopped, -2 the
  // update service could not be asked.
  int DownloadDevice(std::int32_t device, int row);
  // One verified transfer: fetched again once when the MD5 does not match.
  bool FetchAndVerify(const std::wstring& url, const std::wstring& path);

  // The per-device percentage: recomputes the overall one, moves the bar,
  // logs the text as a new line when there is one, lets the window breathe.
  void SetFilePercent(const std::wstring& text, float percent);
  // A log line dated now; nothing for an empty text.
  void LogLine(const std::wstring& text, bool newLine);
  // Into run mode (downloading, or installing for the install sequence) and out.
  void BeginRun(bool downloading);
  void EndRun();

  // The transfer's progress hook (worker thread): bytes of this transfer so
  // far, whether its size is known, and resume offset plus content length.
  void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total, std::uint64_t resumeOffset);
  // The transfer's error report hook (worker thread).
  void OnTransferReport(const std::wstring& text) { m_lastReport = text; }
  // The Stop command (UI thread), after the page marked the stop request:
  // Stop disabled, the stop line, the stop label, the transfer aborted.
  void OnStopCommand();

  // The page's fields (the install sequence reads and sets some of them).
  bool m_lastOk = false;
  std::int32_t m_okCount = 0;
  std::atomic<bool> m_goInstall{false};
  std::int32_t m_installedCount = 0;
  std::map<std::wstring, std::wstring> m_urlDone;
  std::wstring m_osCode;
  std::wstring m_deviceName;
  std::wstring m_expectedMd5;
  std::wstring m_fileTitle;
  std::wstring m_lastReport;
  float m_runTotal = 0;
  float m_runIndex = 0;
  float m_runPercent = 0;
  float m_filePercent = 0;
  std::int32_t m_firstProgress = -1;

 private:
  bool StopRequested() const { return stop_.Pressed(); }
  // What both thread entries do first: a fresh outcome, the counters, the bar, the heading.
  void StartThread(DownloadOutcome& outcome);
  void EnsureFolder(const std::wstring& folder);
  // About one second: 1024 times pump, sleep 1 ms, pump.
  void PauseAboutASecond();
  void DeleteIfPresent(const std::wstring& path);
  void Record(std::int32_t device, int row, int code, const std::wstring& path);
  int KindOfRow(std::size_t row) const { return scan_.m_Rows[row].kind; }

  DownloadView& view_;
  DownloadParts& parts_;
  ScanResult& scan_;
  StringMap& list_;
  StopRequest& stop_;
  DownloadOutcome* outcome_ = nullptr;
};

}  // namespace velkor
