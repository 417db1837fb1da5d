#include "lookup/scan_run.hpp"

#include <memory>

#include "base/text.hpp"
#include "core/administrator_advice.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {
namespace {

constexpr wchar_t kScanInProgress[] = L"Please wait while the scan is in progress...";
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

constexpr int kRetryPauses = 10;

}  // namespace

FlowEnd ScanRun::Run(ScanOutcome& outcome) {
  RunSteps(outcome);
  return outcome.relaunched ? FlowEnd::KeepOperation : FlowEnd::Done;
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
    if (parts_.WindowsMajorVersion() < kFirstElevatingWindowsMajor) {
      view_.ShowMessage(kAdministratorLoginAdvice, false);
    } else if (view_.AskYesNo(kAdminQuestion) && parts_.RelaunchElevated()) {
      outcome.relaunched = true;
      parts_.EndProcess();
      return;
    }
  }

  view_.SetStatusText(kScanInProgress);
  view_.SetCurrentDeviceText(L"");
  stop_.ClearPassedOn();
  result_.m_bScanFinished = false;
  parts_.RefillClassificationSets(result_.m_Sets);

  // A new scan starts from empty tables: the old device table goes, and with it
  // the update table it owns; the list of updates refers to it, so it goes too.
  result_.m_nDeviceCount = 0;
  result_.m_nUpdateCount = 0;
  view_.SetProgress(0);
  result_.m_Devices = RecordTable(kDeviceTableCapacity);
  result_.m_UpdateList.clear();
  DeviceTableFiller filler(result_.m_Devices);
  const ProgressCallback progress = [&](const DeviceRecord* record, int percent) {
    if (record != nullptr && filler.Add(*record)) {
      view_.SetCurrentDeviceText(record->Name);
      result_.m_nDeviceCount = filler.Count();
    }
    view_.SetProgress(percent);
  };
  outcome.inventoryResult = parts_.RunDeviceScan(progress);
  if (outcome.inventoryResult == kResultCompleted) {
    result_.m_bScanFinished = true;
    view_.SetCurrentDeviceText(kScanCompleted);
  } else if (outcome.inventoryResult == kResultScanStopped) {
    result_.m_bScanFinished = true;
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
    if (stop_.Pressed() || stop_.PassedOn()) {
      outcome.stopped = true;
    } else {
      Exchange(outcome, start);
    }
  }

  view_.StopAnimation();

  if (result_.m_bScanFinished) StoreCounts(outcome);

  stop_.Forget();
}

void ScanRun::Exchange(ScanOutcome& outcome, const LocalTime& start) {
  view_.SetStatusText(kCollecting);
  result_.m_Xml.BuildScanRequest(result_.m_Devices, result_.m_nDeviceCount, parts_.OsVersionCode(),
                                 result_.m_XmlDocument);
  const std::wstring request = result_.m_XmlDocument.DocumentText();
  view_.SetStatusText(kSending);
  view_.FocusStopButton();

  if (!parts_.NetworkLoaded()) {
    outcome.networkMissing = true;
    view_.ShowMessage(kFileMissing, true);
    return;
  }
  if (stop_.Pressed()) {
    outcome.stopped = true;
    view_.ShowHomePage();
    return;
  }

  // From here on the exchange runs to its end.
  view_.SetStopEnabled(false);
  parts_.PumpMessages();
  std::wstring answer;
  outcome.requestSent = true;
  bool answered = parts_.ScanLookupWithFallback(request, answer);
  parts_.PumpMessages();
  if (!answered) {
    for (int i = 0; i < kRetryPauses; ++i) {
      parts_.SleepMilliseconds(1);
      parts_.PumpMessages();
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

  ScanResult& r = result_;
  r.m_Devices[0].Next = std::make_unique<RecordTable>(kDeviceTableCapacity);
  r.m_Xml.ReadScanAnswer(r.m_XmlDocument, answer,
                         UpdateMatchTables{r.m_Devices, r.m_nDeviceCount, r.m_Sets, *r.m_Devices[0].Next,
                                           r.m_nUpdateCount, r.m_UpdateList});

  const LocalTime end = parts_.Now();
  r.m_strScanStartTime.clear();
  r.m_strScanDuration.clear();
  r.m_strScanTotal.clear();
  if (start.valid && end.valid) {
    r.m_strLastScan.clear();
    r.m_strScanStartTime = FormatClockTime(start);
    r.m_strLastScan = FormatLongDateTime(start);
    parts_.WriteProductValue(L"LastScan", r.m_strLastScan);
    r.m_strScanDuration = FormatDuration(start, end);
    r.m_strScanTotal = std::to_wstring(r.m_nDeviceCount);
  }
}

void ScanRun::StoreCounts(ScanOutcome& outcome) {
  const std::wstring storedTotal = parts_.ReadProductValue(L"TotalDrivers");
  const bool noneStored = storedTotal.empty() || AsciiEqualsNoCase(storedTotal, L"0");
  // Counts that were never checked with the service must not replace counts
  // that were: a missing network component counts as an unreachable service.
  const bool complete = !stop_.Pressed() && !outcome.connectionFailed && !outcome.networkMissing;
  if (complete || noneStored || result_.m_nUpdateCount > 0) {
    const std::int32_t outOfDate = result_.m_nUpdateCount;
    const std::int32_t upToDate = result_.m_nDeviceCount - result_.m_nUpdateCount;
    const std::int32_t total = result_.m_nDeviceCount;
    parts_.WriteProductValue(L"OutofDate", std::to_wstring(outOfDate));
    parts_.WriteProductValue(L"UpToDate", std::to_wstring(upToDate));
    parts_.WriteProductValue(L"TotalDrivers", std::to_wstring(total));
    result_.m_nHomeOutOfDate = outOfDate;
    result_.m_nHomeUpToDate = upToDate;
    result_.m_nHomeTotal = total;
    outcome.countsStored = true;
  }
  if (result_.m_nUpdateCount > 0) {
    view_.PopulateResults();
    view_.ShowResultPage();
  } else {
    view_.ShowHomePage();
  }
}

void ScanRun::OnStopAnswered(bool acknowledged) {
  if (acknowledged) result_.m_bScanFinished = true;
}

}  // namespace velkor
