#include "app/velkorctl/device_source.hpp"

#include <windows.h>

#include <vector>

#include "core/file_bytes.hpp"
#include "inventory/device_enumeration.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/inventory_json.hpp"
#include "inventory/machine_scan_win.hpp"

namespace velkor::ctl {
namespace {

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length != 0 && text != nullptr ? std::wstring(text, length) : L"error " + std::to_wstring(code);
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
    message.pop_back();
  }
  return message;
}

// Ctrl+C during the scan stops it the way the scan page's Stop button does.
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

}  // namespace

bool ReadFileBytes(const std::wstring& path, std::size_t limit, std::string& bytes, std::wstring& error) {
  std::vector<std::uint8_t> data;
  switch (velkor::ReadFileBytes(path, limit, data)) {
    case ReadResult::Ok:
      bytes.assign(data.begin(), data.end());
      return true;
    case ReadResult::TooLarge:
      error = L"'" + path + L"' is larger than " + std::to_wstring(limit / (1024 * 1024)) + L" MiB";
      return false;
    case ReadResult::NotFound:
    case ReadResult::Failed:
      break;
  }
  error = L"cannot read '" + path + L"': " + SystemMessage(::GetLastError());
  return false;
}

bool ScanThisMachine(RecordTable& table, std::int32_t& count, const Console& console, bool showProgress) {
  DeviceTableFiller filler(table);
  int shown = -1;
  const ProgressCallback progress = [&](const DeviceRecord* record, int percent) {
    if (record != nullptr) filler.Add(*record);
    if (showProgress && percent != shown) {
      shown = percent;
      console.Out(L"\rScanning devices: " + std::to_wstring(percent) + L"%   ");
    }
  };
  std::int32_t result = kResultFailed;
  std::size_t dropped = 0;
  {
    const CtrlCStopsScan ctrlC;
    result = ScanMachineDevices(progress, &dropped);
  }
  if (showProgress) console.Out(L"\r                          \r");
  if (result == kResultScanStopped) {
    console.Err(L"velkorctl: the scan was stopped\n");
    return false;
  }
  if (result != kResultCompleted) {
    console.Err(L"velkorctl: the device scan failed: no device list could be read\n");
    return false;
  }
  if (dropped > 0) {
    console.Err(L"velkorctl: " + std::to_wstring(dropped) + L" devices past the first " +
                std::to_wstring(kScanTableCapacity) + L" were not listed\n");
  }
  count = filler.Count();
  return true;
}

bool LoadDeviceTable(const std::wstring& inventoryPath, RecordTable& table, std::int32_t& count,
                     const Console& console) {
  if (inventoryPath.empty()) return ScanThisMachine(table, count, console, false);
  std::string bytes;
  std::wstring error;
  if (!ReadFileBytes(inventoryPath, kMaxInventoryJsonBytes, bytes, error)) {
    console.Err(L"velkorctl: " + error + L"\n");
    return false;
  }
  if (!ReadInventoryJson(bytes, table, count, error)) {
    console.Err(L"velkorctl: '" + inventoryPath + L"' is not a saved inventory: " + error + L"\n");
    return false;
  }
  return true;
}

}  // namespace velkor::ctl
