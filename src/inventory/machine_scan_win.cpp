#include "inventory/machine_scan_win.hpp"

#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"

namespace velkor {

void ClearStaleStopRequest() { TheDriverScannerApp().EngineState = kEngineRunning; }

std::int32_t ScanMachineDevices(const ProgressCallback& progress, std::size_t* dropped, bool clearStaleStop) {
  if (clearStaleStop) ClearStaleStopRequest();
  WinEnumerationPlatform platform;
  return RunDeviceScan(platform, TheDriverScannerApp(), progress, dropped);
}

}  // namespace velkor
