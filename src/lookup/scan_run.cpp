#include "lookup/scan_run.hpp"

#include <memory>

#include "base/text.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {
namespace {

constexpr wchar_t kScanInProgress[] = L"Please wait while the scan is in progress...";
constexpr wchar_t kAdminMessageOld[] =
    L"It is recommended to restart Velkor in administrator login. It will not provide complete functionality in "
    L"standard user account.";
constexpr wchar_t kAdminQuestion[] =
    L"It is recommended to restart Velkor in administrator mode so that it can scan your system to get out of date "
    L"drivers. ";
constexpr wchar_t kScanCompleted[] = L"Scan completed";
constexpr wchar_t kScanAborted[] = L"Scan Aborted";
constexpr wchar_t kCollecting[] = L"Please wait as collecting the driver information may take sometime...";
constexpr wchar_t kSending[] =
    L"Please wait while the driver information is sent to the server for getting the updates...";
constexpr wchar_t kCheckConnection[] = L"Please check your internet connection and re-scan to get updated results.";
constexpr wchar_t kFileMissing[] = L"Velkor has a file missing. Please re-install to fix the issue.";

constexpr int kFirstVistaMajor = 6;
constexpr int kRetryPauses = 10;

// EndOperation on every way out of the run, except when the process is being
// replaced by its elevated instance.
class OperationGuard {
 public:
  explicit OperationGuard(ScanParts& parts) : parts_(parts) { parts_.BeginOperation(); }
  ~OperationGuard() {
    if (!active_) return;
    try {
      parts_.EndOperation();
    } catch (...) {
      // A worker has nobody to report to; the run ends quietly.
    }
  }
  OperationGuard(const OperationGuard&) = delete;
  OperationGuard& operator=(const OperationGuard&) = delete;
  void Dismiss() { active_ = false; }

 private:
  ScanParts& parts_;
  bool active_ = true;
};

}  // namespace

ScanOutcome ScanRun::Run() {
  ScanOutcome outcome;
  try {
    state_.abortRequested = false;
    m_bScanStopRequested = false;
    OperationGuard bracket(parts_);
    try {
      RunSteps(outcome);
    } catch (...) {
      outcome.threw = true;
    }
    if (outcome.relaunched) bracket.Dismiss();
  } catch (...) {
    outcome.threw = true;
  }
  return outcome;
}

void ScanRun::RunSteps(ScanOutcome& outcome) {
  view_.SetStatusText(L"");
  view_.SetCurrentDeviceText(L"");
  const LocalTime start = parts_.Now();
  view_.SetStatusText(kScanInProgress);
  view_.StartAnimation();

  // Without full rights the inventory misses what only an administrator may
  // read; from Vista on the user can let us start again elevated.
  if (!parts_.IsFullAdministrator()) {
    if (parts_.WindowsMajorVersion() < kFirstVistaMajor) {
      view_.ShowMessage(kAdminMessageOld, false);
    } else if (view_.AskYesNo(kAdminQuestion) && parts_.RelaunchElevated()) {
      outcome.relaunched = true;
      parts_.EndProcess();
      return;
    }
  }

  view_.SetStatusText(kScanInProgress);
  view_.SetCurrentDeviceText(L"");
  state_.abortRequested = false;
  state_.scanFinished = false;
  parts_.RefillClassificationSets(state_.sets);

  // A new scan starts from empty tables: the old device table goes, and with it
  // the update table it owns; the list of updates refers to it, so it goes too.
  state_.deviceCount = 0;
  state_.updateCount = 0;
  view_.SetProgress(0);
  state_.devices = RecordTable(kDeviceTableCapacity);
  state_.updateList.clear();
  DeviceTableFiller filler(state_.devices);
  const ProgressCallback progress = [&](const DeviceRecord* record, int percent) {
    if (record != nullptr && filler.Add(*record)) {
      view_.SetCurrentDeviceText(record->Name);
      state_.deviceCount = filler.Count();
    }
    view_.SetProgress(percent);
  };
  outcome.inventoryResult = parts_.RunDeviceScan(progress);
  if (outcome.inventoryResult == kResultCompleted) {
    state_.scanFinished = true;
    view_.SetCurrentDeviceText(kScanCompleted);
  } else if (outcome.inventoryResult == kResultScanStopped) {
    state_.scanFinished = true;
    view_.SetCurrentDeviceText(kScanAborted);
  }

  if (m_bScanForBackup) {
    m_bScanForBackup = false;
    view_.ShowBackupPage();
    return;
  }

  // A failed inventory has nothing to send: the page keeps what it shows and
  // nothing is stored, not even the time of the scan.
  const bool inventoryFailed =
      outcome.inventoryResult != kResultCompleted && outcome.inventoryResult != kResultScanStopped;
  if (!inventoryFailed) {
    view_.SetCurrentDeviceText(L"");
    view_.SetScanPhase(2);
    if (m_bScanStopRequested || state_.abortRequested) {
      outcome.stopped = true;
    } else {
      Exchange(outcome, start);
    }
  }

  view_.StopAnimation();

  if (state_.scanFinished) StoreCounts(outcome);

  m_bScanStopRequested = false;
}

void ScanRun::Exchange(ScanOutcome& outcome, const LocalTime& start) {
  view_.SetStatusText(kCollecting);
  state_.xml.BuildScanRequest(state_.devices, state_.deviceCount, parts_.OsVersionCode(), state_.document);
  const std::wstring request = state_.document.DocumentText();
  view_.SetStatusText(kSending);
  view_.FocusStopButton();

  if (!parts_.NetworkLoaded()) {
    outcome.networkMissing = true;
    view_.ShowMessage(kFileMissing, true);
    return;
  }
  if (m_bScanStopRequested) {
    outcome.stopped = true;
    view_.ShowHomePage();
    return;
  }

  // From here on the exchange runs to its end.
  view_.SetStopEnabled(false);
  view_.PumpMessages();
  std::wstring answer;
  outcome.requestSent = true;
  bool answered = parts_.ScanLookupWithFallback(request, answer);
  view_.PumpMessages();
  if (!answered) {
    for (int i = 0; i < kRetryPauses; ++i) {
      parts_.SleepMilliseconds(1);
      view_.PumpMessages();
    }
    answer.clear();
    answered = parts_.ScanLookupWithFallback(request, answer);
    if (!answered) {
      outcome.connectionFailed = true;
      view_.ShowMessage(kCheckConnection, true);
    }
  }
  // A failed exchange reads as an answer without updates.
  if (!answered) answer.clear();

  state_.devices[0].Next = std::make_unique<RecordTable>(kDeviceTableCapacity);
  state_.xml.ReadScanAnswer(state_.document, answer,
                            UpdateMatchTables{state_.devices, state_.deviceCount, state_.sets,
                                              *state_.devices[0].Next, state_.updateCount, state_.updateList});

  const LocalTime end = parts_.Now();
  state_.scanStartTime.clear();
  state_.scanDuration.clear();
  state_.scanTotal.clear();
  if (start.valid && end.valid) {
    state_.lastScan.clear();
    state_.scanStartTime = FormatClockTime(start);
    state_.lastScan = FormatLongDateTime(start);
    parts_.WriteProductValue(L"LastScan", state_.lastScan);
    state_.scanDuration = FormatDuration(start, end);
    state_.scanTotal = std::to_wstring(state_.deviceCount);
  }
}

void ScanRun::StoreCounts(ScanOutcome& outcome) {
  const std::wstring storedTotal = parts_.ReadProductValue(L"TotalDrivers");
  const bool noneStored = storedTotal.empty() || AsciiEqualsNoCase(storedTotal, L"0");
  // Counts that were never checked with the service must not replace counts
  // that were: a missing network component counts as an unreachable service.
  const bool complete = !m_bScanStopRequested && !outcome.connectionFailed && !outcome.networkMissing;
  if (complete || noneStored || state_.updateCount > 0) {
    const std::int32_t outOfDate = state_.updateCount;
    const std::int32_t upToDate = state_.deviceCount - state_.updateCount;
    const std::int32_t total = state_.deviceCount;
    parts_.WriteProductValue(L"OutofDate", std::to_wstring(outOfDate));
    parts_.WriteProductValue(L"UpToDate", std::to_wstring(upToDate));
    parts_.WriteProductValue(L"TotalDrivers", std::to_wstring(total));
    state_.homeOutOfDate = outOfDate;
    state_.homeUpToDate = upToDate;
    state_.homeTotal = total;
    outcome.countsStored = true;
  }
  if (state_.updateCount > 0) {
    view_.PopulateResults();
    view_.ShowResultPage();
  } else {
    view_.ShowHomePage();
  }
}

void ScanRun::RequestStop(const std::function<bool()>& requestAbort) {
  state_.abortRequested = true;
  if (requestAbort()) state_.scanFinished = true;
}

}  // namespace velkor
