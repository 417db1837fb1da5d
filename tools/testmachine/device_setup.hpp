#pragma once
// Making one described device present in this Windows installation: its device
// node with its IDs, names and service, its installed driver package, and the
// values that the driver's class key would carry after a real installation.

#include <string>

#include "machine_description.hpp"

namespace velkor::testmachine {

// Creates the device, or updates it when its instance ID exists already (a
// device whose class changed is made anew). Properties the description leaves
// out are removed, so the device is what the description says. On failure,
// error tells why.
bool ApplyDevice(const DeviceDescription& device, std::wstring& error);

// Installs the package's INF for the device's first hardware ID through plug
// and play. inf_path is the full path of the package's INF.
bool InstallDriverPackage(const DeviceDescription& device, const std::wstring& inf_path, std::wstring& error);

// Writes the described values into the device's driver key, creating the key
// (and with it the device's Driver property) when the device has none. A
// device described without a driver loses its driver key.
bool ApplyDriverValues(const DeviceDescription& device, std::wstring& error);

// Gives the device's class a description and a class name when the class key
// has no description yet; a class that the system knows is left as it is.
bool ApplyClassDescription(const DeviceDescription& device, std::wstring& error);

}  // namespace velkor::testmachine
