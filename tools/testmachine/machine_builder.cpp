#include "machine_builder.hpp"

#include <windows.h>

#include "base/path.hpp"
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
  for (const DeviceDescription& device : machine.devices) {
    ++report.devices;
    const std::wstring name = device.json_path + L" (" + device.instance_id + L")";
    bool ok = ApplyClassDescription(device, error);
    if (!ok) failure(name + L": " + error);
    if (!ApplyDevice(device, error)) {
      // Without its device node nothing else of the device can be done.
      failure(name + L": " + error);
      ++report.failed;
      continue;
    }
    std::wstring done = L"device " + device.instance_id;
    if (device.driver && device.driver->package) {
      const std::wstring inf = PackagePath(description_folder, *device.driver->package);
      if (InstallDriverPackage(device, inf, error)) {
        done += L" (driver package installed)";
      } else {
        failure(name + L": " + error);
        ok = false;
      }
    }
    if (!ApplyDriverValues(device, error)) {
      failure(name + L": " + error);
      ok = false;
    }
    if (!ok) ++report.failed;
    progress(done);
  }
  return report;
}

}  // namespace velkor::testmachine
