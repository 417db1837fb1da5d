#include "app/velkorctl/verb_inventory.hpp"

#include <windows.h>

#include <algorithm>
#include <array>

#include "app/velkorctl/commands.hpp"
#include "base/utf.hpp"
#include "inventory/device_enumeration.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"
#include "inventory/inventory_json.hpp"

namespace velkor::ctl {
namespace {

// Ctrl+C during a scan asks the scan to stop, the way the scan page's Stop
// button does, instead of killing the process half-way.
BOOL WINAPI StopScanOnCtrlC(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  TheDriverScannerApp().RequestAbort(kStopScan);
  return TRUE;
}

class CtrlCStopsScan {
 public:
  CtrlCStopsScan() { ::SetConsoleCtrlHandler(StopScanOnCtrlC, TRUE); }
  ~CtrlCStopsScan() { ::SetConsoleCtrlHandler(StopScanOnCtrlC, FALSE); }
  CtrlCStopsScan(const CtrlCStopsScan&) = delete;
  CtrlCStopsScan& operator=(const CtrlCStopsScan&) = delete;
};

void PrintTable(const RecordTable& table, std::int32_t count, const Console& console) {
  struct Column {
    const wchar_t* title;
    std::wstring DeviceRecord::*field;
  };
  const std::array<Column, 6> columns = {{
      {L"Class", &DeviceRecord::ClassDescription},
      {L"Name", &DeviceRecord::Name},
      {L"Version", &DeviceRecord::DriverVersion},
      {L"Date", &DeviceRecord::DriverDate},
      {L"Provider", &DeviceRecord::Provider},
      {L"Hardware ID", &DeviceRecord::HardwareId},
  }};
  std::array<std::size_t, 6> widths{};
  for (std::size_t c = 0; c < columns.size(); ++c) {
    widths[c] = std::wstring(columns[c].title).size();
    for (std::int32_t i = 0; i < count; ++i) {
      widths[c] = std::max(widths[c], (table[i].*columns[c].field).size());
    }
  }
  const std::size_t numberWidth = std::max<std::size_t>(2, std::to_wstring(count).size());
  auto pad = [](std::wstring text, std::size_t width) {
    if (text.size() < width) text.resize(width, L' ');
    return text;
  };
  std::wstring out = pad(L"No", numberWidth);
  for (std::size_t c = 0; c < columns.size(); ++c) out += L"  " + pad(columns[c].title, widths[c]);
  while (!out.empty() && out.back() == L' ') out.pop_back();
  out += L"\n";
  for (std::int32_t i = 0; i < count; ++i) {
    std::wstring line = pad(std::to_wstring(i), numberWidth);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      line += L"  " + pad(table[i].*columns[c].field, widths[c]);
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    out += line + L"\n";
  }
  out += std::to_wstring(count) + (count == 1 ? L" device\n" : L" devices\n");
  console.Out(out);
}

}  // namespace

int RunInventory(const std::vector<std::wstring>& args, const Console& console) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--json") {
      json = true;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'inventory' (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }

  RecordTable table(kDeviceTableCapacity);
  DeviceTableFiller filler(table);
  const bool showProgress = !json && console.OutIsConsole();
  int shown = -1;
  const ProgressCallback progress = [&](const DeviceRecord* record, int percent) {
    if (record != nullptr) filler.Add(*record);
    if (showProgress && percent != shown) {
      shown = percent;
      console.Out(L"\rScanning devices: " + std::to_wstring(percent) + L"%   ");
    }
  };

  CDriverScannerApp& engine = TheDriverScannerApp();
  engine.EngineState = kEngineRunning;
  std::int32_t result = 0;
  std::size_t dropped = 0;
  {
    const CtrlCStopsScan ctrlC;
    WinEnumerationPlatform platform;
    result = RunDeviceScan(platform, engine, progress, &dropped);
  }
  if (showProgress) console.Out(L"\r                          \r");

  if (result == kResultScanStopped) {
    console.Err(L"velkorctl: the scan was stopped\n");
    return kExitFailure;
  }
  if (result != kResultCompleted) {
    console.Err(L"velkorctl: the device scan failed: no device list could be read\n");
    return kExitFailure;
  }
  if (dropped > 0) {
    console.Err(L"velkorctl: " + std::to_wstring(dropped) + L" devices past the first " +
                std::to_wstring(kScanTableCapacity) + L" were not listed\n");
  }
  if (json) {
    console.OutBytes(WriteInventoryJson(table, static_cast<std::size_t>(filler.Count())));
  } else {
    PrintTable(table, filler.Count(), console);
  }
  return kExitOk;
}

int RunOsVersion(const std::vector<std::wstring>& args, const Console& console) {
  if (!args.empty()) {
    console.Err(L"velkorctl: 'osversion' takes no arguments (see 'velkorctl help')\n");
    return kExitUsage;
  }
  const OsVersionCode os = GetOSVersionCode();
  console.Out(std::to_wstring(os.code) + L" " + std::to_wstring(os.major) + L"." +
              std::to_wstring(os.minor) + L"\n");
  return kExitOk;
}

}  // namespace velkor::ctl
