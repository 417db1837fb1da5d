#pragma once
// The scan run's parts over the real system: the clock, the administrator test
// and the elevated re-launch, the inventory with the process-wide engine
// object, the network component, the worker's message pump and the values
// under the product key.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/elevated_start.hpp"
#include "core/update_service.hpp"
#include "lookup/scan_run.hpp"

namespace velkor {

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
