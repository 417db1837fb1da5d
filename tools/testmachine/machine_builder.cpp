#include "machine_builder.hpp"

#include <windows.h>

#include <set>
#include <utility>
#include <vector>

#include "base/path.hpp"
#include "base/text.hpp"
#include "device_setup.hpp"
#include "windows_version.hpp"

namespace velkor::testmachine {
namespace {

// The package's INF as a full path: the plug-and-play installer wants one.
std::wstring PackagePath(const std::wstring& folder, const std::wstring& package) {
  std::wstring joined = JoinPath(folder, package);
  for (wchar_t& c : joined) {
    if (c == L'/') c = L'\\';
  }
  const DWORD needed = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return joined;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(joined.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return joined;
  full.resize(length);
  return full;
}

// Wine builds its display devices when the first desktop of a session starts:
// it then empties the Display and Monitor class keys and removes the PCI
// display adapters that it did not make itself. Starting the desktop before
// any device is made lets the described adapters and monitors stay for the
// rest of the session (an installation would otherwise start it half-way).
void SettleDisplayDevices() {
  GetDesktopWindow();
  DISPLAY_DEVICEW display{};
  display.cb = sizeof(display);
  EnumDisplayDevicesW(nullptr, 0, &display, 0);
}

}  // namespace

BuildReport BuildMachine(const MachineDescription& machine, const std::wstring& description_folder,
                         const std::function<void(const std::wstring&)>& progress,
                         const std::function<void(const std::wstring&)>& failure) {
  BuildReport report;
  report.devices = static_cast<int>(machine.devices.size());
  std::wstring error;
  SettleDisplayDevices();
  if (machine.windows) {
    if (SetReportedWindowsVersion(*machine.windows, error)) {
      progress(L"windows: " + *machine.windows);
    } else {
      failure(L"windows: " + error);
      ++report.failed;
    }
  }

  // Three passes. The plug-and-play installer installs a package on every
  // device with the hardware ID it is given, and sets what the INF says on
  // each; so all devices exist before the first package goes in, and every
  // device gets its described state back after the last one.
  std::vector<bool> failed(machine.devices.size(), false);
  std::vector<bool> made(machine.devices.size(), false);
  const auto report_failure = [&](size_t index, const std::wstring& what) {
    const DeviceDescription& device = machine.devices[index];
    failure(device.json_path + L" (" + device.instance_id + L"): " + what);
    failed[index] = true;
  };
  for (size_t i = 0; i < machine.devices.size(); ++i) {
    const DeviceDescription& device = machine.devices[i];
    if (!ApplyClassDescription(device, error)) report_failure(i, error);
    if (ApplyDevice(device, error)) {
      made[i] = true;
    } else {
      report_failure(i, error);
    }
  }

  std::set<std::pair<std::wstring, std::wstring>> installed;  // (lower-case hardware ID, INF)
  std::vector<bool> has_package(machine.devices.size(), false);
  for (size_t i = 0; i < machine.devices.size(); ++i) {
    const DeviceDescription& device = machine.devices[i];
    if (!made[i] || !device.driver || !device.driver->package) continue;
    const std::wstring inf = PackagePath(description_folder, *device.driver->package);
    // Devices that share a hardware ID (two processors) share the one installation.
    if (!installed.emplace(AsciiToLower(device.hardware_ids.front()), AsciiToLower(inf)).second) {
      has_package[i] = true;
      continue;
    }
    if (InstallDriverPackage(device, inf, error)) {
      has_package[i] = true;
    } else {
      report_failure(i, error);
    }
  }

  for (size_t i = 0; i < machine.devices.size(); ++i) {
    const DeviceDescription& device = machine.devices[i];
    if (!made[i]) continue;
    if (!FinishDevice(device, error)) report_failure(i, error);
    progress(L"device " + device.instance_id + (has_package[i] ? L" (driver package installed)" : L"") +
             (failed[i] ? L": failed" : L""));
  }
  for (bool f : failed) report.failed += f ? 1 : 0;
  return report;
}

}  // namespace velkor::testmachine
