#pragma once
// The scan run's parts over the real system: the clock, the administrator test
// and the elevated re-launch, the inventory with the process-wide engine
// object, the network component, the worker's message pump and the values
// under the product key.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/update_service.hpp"
#include "lookup/scan_run.hpp"

namespace velkor {

// How this program is started again elevated.
struct RelaunchCommand {
  // The running image (GetModuleFileNameW), never the command line's first
  // word looked up again through the current folder and the search path; it
  // is handed to the shell in double quotes.
  std::wstring program;
  // The command line after the program: "1" opens the scan page and scans.
  std::wstring parameters = L"1";
  // Wait for the elevated instance and end with its exit code (a console has
  // somebody waiting for the result); otherwise end with 0 at once.
  bool waitForExit = false;
};

class WinScanParts final : public ScanParts {
 public:
  WinScanParts(const CUpdateService& network, RelaunchCommand relaunch);

  LocalTime Now() override;
  bool IsFullAdministrator() override;
  int WindowsMajorVersion() override;
  bool RelaunchElevated() override;
  [[noreturn]] void EndProcess() override;
  void RefillClassificationSets(ClassificationSets& sets) override { sets.Refill(); }
  std::int32_t RunDeviceScan(const ProgressCallback& progress) override;
  std::int32_t OsVersionCode() override;
  bool NetworkLoaded() override { return network_.IsLoaded(); }
  bool ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) override;
  void SleepMilliseconds(unsigned milliseconds) override;
  void PumpMessages() override;
  std::wstring ReadProductValue(const wchar_t* name) override;
  void WriteProductValue(const wchar_t* name, const std::wstring& text) override;

  // The exit code of an elevated instance that was waited for (0 otherwise):
  // what EndProcess ends this process with.
  unsigned RelaunchedExitCode() const { return exitCode_; }
  // Devices of the last inventory that did not fit the scan's table.
  std::size_t DroppedDevices() const { return dropped_; }

 private:
  const CUpdateService& network_;
  RelaunchCommand relaunch_;
  unsigned exitCode_ = 0;
  std::size_t dropped_ = 0;
};

}  // namespace velkor
