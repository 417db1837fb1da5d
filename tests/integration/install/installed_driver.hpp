#pragma once
// What the system records for a device's installed driver, read the way the
// inventory reads it: the device's Driver value names its class key, whose
// InfPath names the INF copied into the system's INF folder.

#include <string>

namespace velkor::testing {

struct InstalledDriver {
  std::wstring driverKey;  // {class GUID}\NNNN
  std::wstring infName;    // oemN.inf
  std::string infText;     // that file's bytes
};

// The driver of the first device with the hardware ID; empty fields where the
// system has nothing.
InstalledDriver InstalledDriverFor(const std::wstring& hardwareId);

// The file in the system's drivers folder (system32\drivers).
bool DriverImageInstalled(const std::wstring& imageFileName);

}  // namespace velkor::testing
