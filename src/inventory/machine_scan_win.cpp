#include "inventory/machine_scan_win.hpp"

#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"

namespace velkor {

std::int32_t ScanMachineDevices(const ProgressCallback& progress, std::size_t* dropped) {
  CDriverScannerApp& engine = TheDriverScannerApp();
  engine.EngineState = kEngineRunning;
  WinEnumerationPlatform platform;
  return RunDeviceScan(platform, engine, progress, dropped);
}

}  // namespace velkor
