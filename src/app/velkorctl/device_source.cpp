#include "app/velkorctl/device_source.hpp"

#include <windows.h>

#include <algorithm>

#include "inventory/device_enumeration.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"
#include "inventory/inventory_json.hpp"
#include "platform/unique_handle.hpp"

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

bool ScanThisMachine(RecordTable& table, std::int32_t& count, const Console& console) {
  DeviceTableFiller filler(table);
  const ProgressCallback progress = [&](const DeviceRecord* record, int) {
    if (record != nullptr) filler.Add(*record);
  };
  CDriverScannerApp& engine = TheDriverScannerApp();
  engine.EngineState = kEngineRunning;
  std::int32_t result = kResultFailed;
  {
    const CtrlCStopsScan ctrlC;
    WinEnumerationPlatform platform;
    result = RunDeviceScan(platform, engine, progress);
  }
  if (result == kResultScanStopped) {
    console.Err(L"velkorctl: the scan was stopped\n");
    return false;
  }
  if (result != kResultCompleted) {
    console.Err(L"velkorctl: the device scan failed: no device list could be read\n");
    return false;
  }
  count = filler.Count();
  return true;
}

}  // namespace

bool ReadFileBytes(const std::wstring& path, std::size_t limit, std::string& bytes, std::wstring& error) {
  UniqueHandle<KernelHandleTraits> file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = L"cannot open '" + path + L"': " + SystemMessage(::GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) {
    error = L"cannot read '" + path + L"': " + SystemMessage(::GetLastError());
    return false;
  }
  if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > limit) {
    error = L"'" + path + L"' is larger than " + std::to_wstring(limit / (1024 * 1024)) + L" MiB";
    return false;
  }
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
    if (!::ReadFile(file.get(), data.data() + done, want, &got, nullptr)) {
      error = L"cannot read '" + path + L"': " + SystemMessage(::GetLastError());
      return false;
    }
    if (got == 0) break;  // the file shrank while it was read
    done += got;
  }
  data.resize(done);
  bytes = std::move(data);
  return true;
}

bool LoadDeviceTable(const std::wstring& inventoryPath, RecordTable& table, std::int32_t& count,
                     const Console& console) {
  if (inventoryPath.empty()) return ScanThisMachine(table, count, console);
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
