#include "inventory/machine_scan_win.hpp"

#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"

namespace velkor {

std::int32_t ScanMachineDevices(const ProgressCallback& progress, std::size_t* dropped, StaleStop staleStop) {
  CDriverScannerApp& engine = TheDriverScannerApp();
  // A stop asked for when no listing ran stays at 18 until its requester
  // gives up, and would end this listing at once.
  if (staleStop == StaleStop::Clear) engine.ClearStop();
  WinEnumerationPlatform platform;
  return RunDeviceScan(platform, engine, progress, dropped);
}

}  // namespace velkor
