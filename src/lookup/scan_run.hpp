#pragma once
// The scan run: lists the machine's devices, sends the inventory to the update
// service, reads the answer into the update table, records when the scan ran
// and how many drivers are out of date, and hands over to the next page.
//
// A flow: the flow host runs it (core/flow_host.hpp) on the scan page's worker
// or, for the console's scan command, on the calling thread, inside the
// operation bracket and with the host's stop request. What the run shows and
// asks goes through ScanView; what it needs from the machine, the service and
// the stored values goes through ScanParts; what it leaves behind is one
// ScanResult. Both front ends supply their own view and parts; tests supply
// fakes and read every text and stored value.

#include <atomic>
#include <cstdint>
#include <string>

#include "base/time_text.hpp"
#include "core/flow_host.hpp"
#include "core/stop_request.hpp"
#include "inventory/classification.hpp"
#include "inventory/device_enumeration.hpp"
#include "lookup/scan_result.hpp"

namespace velkor {

// What the run shows. Every call comes from the worker thread; the window's
// implementation hands each to the UI dispatcher.
class ScanView {
 public:
  virtual ~ScanView() = default;
  // The status line.
  virtual void SetStatusText(const std::wstring& text) = 0;
  // The current-device line: the device being listed, then the inventory's end.
  virtual void SetCurrentDeviceText(const std::wstring& text) = 0;
  // The progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  // The animation: played from the first frame to the last without end, and
  // stopped and closed at the end of the run.
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  // The phase picture: 1 while devices are listed, 2 afterwards.
  virtual void SetScanPhase(int phase) = 0;
  virtual void SetStopEnabled(bool enabled) = 0;
  virtual void FocusStopButton() = 0;
  // A message box titled with the application name; ownedByPage false means
  // the framework's box with no owner.
  virtual void ShowMessage(const std::wstring& text, bool ownedByPage) = 0;
  // A Yes/No question in the framework's box; true for Yes.
  virtual bool AskYesNo(const std::wstring& text) = 0;
  // Fills the result list from the scan (the result page's PopulateResults).
  virtual void PopulateResults() = 0;
  virtual void ShowResultPage() = 0;
  virtual void ShowHomePage() = 0;
  // Hides the scan page and shows the backup page.
  virtual void ShowBackupPage() = 0;
};

// What the run needs from the machine and the service.
class ScanParts {
 public:
  virtual ~ScanParts() = default;
  virtual LocalTime Now() = 0;
  // An administrator with full rights (elevated where the system elevates).
  virtual bool IsFullAdministrator() = 0;
  virtual int WindowsMajorVersion() = 0;
  // Starts this program again elevated with the parameter "1"; true when the
  // shell reports success.
  virtual bool RelaunchElevated() = 0;
  // Ends the process at once with exit code 0 (a fake records the call and
  // returns; the run then returns too).
  virtual void EndProcess() = 0;
  // Refills the application's classification sets.
  virtual void RefillClassificationSets(ClassificationSets& sets) = 0;
  // Sets the engine mode to scanning and runs the inventory (the stop request
  // cleared the engine state when the run began, so a Stop pressed since ends
  // the listing); the callback gets every device as RunDeviceScan reports it.
  // 32 completed, 18 stopped, 33 failed.
  virtual std::int32_t RunDeviceScan(const ProgressCallback& progress) = 0;
  // The OS version code that goes into the request.
  virtual std::int32_t OsVersionCode() = 0;
  // Whether the network service component was loaded at start-up.
  virtual bool NetworkLoaded() = 0;
  // One exchange: the call with the component's own service and, on failure,
  // with the fallback host. False when both failed.
  virtual bool ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) = 0;
  virtual void SleepMilliseconds(unsigned milliseconds) = 0;
  // Empties the worker thread's message queue.
  virtual void PumpMessages() = 0;
  // Values under the product key ("LastScan", "OutofDate", "UpToDate", "TotalDrivers").
  virtual std::wstring ReadProductValue(const wchar_t* name) = 0;
  virtual void WriteProductValue(const wchar_t* name, const std::wstring& text) = 0;
};

// How a run ended, for the console's exit code and for tests.
struct ScanOutcome {
  std::int32_t inventoryResult = 0;  // 32, 18 or 33 (0: the inventory did not run)
  bool requestSent = false;
  bool networkMissing = false;
  bool connectionFailed = false;
  bool stopped = false;     // the run saw the Stop request (during or after the listing)
  bool countsStored = false;
  bool relaunched = false;  // an elevated instance took over; nothing else ran
  bool threw = false;       // an unexpected exception ended the run (the flow host says so)
};

class ScanRun {
 public:
  ScanRun(ScanView& view, ScanParts& parts, ScanResult& result, StopRequest& stop)
      : view_(view), parts_(parts), result_(result), stop_(stop) {}

  // The worker: the whole run in order, filling `outcome` as it goes. Run by
  // the flow host; KeepOperation when an elevated instance takes over (the
  // process is ending, navigation stays off).
  FlowEnd Run(ScanOutcome& outcome);

  // The stop thread's answer (FlowHost::RequestStop with the scan's kind):
  // when the inventory acknowledged the stop, it counts as finished.
  void OnStopAnswered(bool acknowledged);

  // m_bScanForBackup: list the devices only and go back to the backup page.
  std::atomic<bool> m_bScanForBackup{false};

 private:
  void RunSteps(ScanOutcome& outcome);
  // Builds the request, exchanges it with the service and reads the answer.
  void Exchange(ScanOutcome& outcome, const LocalTime& start);
  // Stores the counts when the rule allows and hands over to the next page.
  void StoreCounts(ScanOutcome& outcome);

  ScanView& view_;
  ScanParts& parts_;
  ScanResult& result_;
  StopRequest& stop_;
};

}  // namespace velkor
