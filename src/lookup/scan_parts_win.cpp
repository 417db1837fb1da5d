#include "lookup/scan_parts_win.hpp"

#include <windows.h>

#include <utility>

#include "base/path.hpp"
#include "core/local_clock.hpp"
#include "core/message_pump.hpp"
#include "core/settings.hpp"
#include "inventory/machine_scan_win.hpp"
#include "inventory/os_version_code.hpp"
#include "inventory/system_information.hpp"

namespace velkor {

WinScanParts::WinScanParts(const CUpdateService& network, RelaunchCommand relaunch)
    : network_(network), relaunch_(std::move(relaunch)) {}

LocalTime WinScanParts::Now() { return CurrentLocalTime(); }

bool WinScanParts::IsFullAdministrator() { return IsAdministrator(); }

int WinScanParts::WindowsMajorVersion() { return static_cast<int>(GetOSVersionCode().major); }

bool WinScanParts::RelaunchElevated() { return StartElevated(relaunch_, exitCode_); }

void WinScanParts::EndProcess() { ::ExitProcess(exitCode_); }

std::int32_t WinScanParts::RunDeviceScan(const ProgressCallback& progress) {
  dropped_ = 0;
  return ScanMachineDevices(progress, &dropped_, StaleStop::Keep);
}

std::int32_t WinScanParts::OsVersionCode() { return GetOSVersionCode().code; }

bool WinScanParts::ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) {
  return network_.ScanLookupWithFallback(request, answer);
}

void WinScanParts::SleepMilliseconds(unsigned milliseconds) { ::Sleep(milliseconds); }

void WinScanParts::PumpMessages() { PumpPendingMessages(); }

std::wstring WinScanParts::ReadProductValue(const wchar_t* name) { return velkor::ReadProductValue(name); }

void WinScanParts::WriteProductValue(const wchar_t* name, const std::wstring& text) {
  // The scan's time goes under the key the settings made at start-up; the
  // counts create it when it is missing.
  const bool createKey = std::wstring(name) != L"LastScan";
  velkor::WriteProductValue(name, text, createKey);
}

}  // namespace velkor
