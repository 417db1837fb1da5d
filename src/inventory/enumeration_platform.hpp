#pragma once
// What the device enumeration needs from the system. The Win32 implementation
// talks to SetupAPI, the registry, WMI and the file system; tests supply a double.
// Devices are addressed by their index in the set of present devices.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inventory/os_version_code.hpp"
#include "inventory/signer_table.hpp"

namespace velkor {

// The device properties the enumeration reads (their first string).
enum class DeviceProperty { FriendlyName, DeviceDescription, HardwareId, Service, Driver };

// The first driver that the system's INF store offers for a device.
struct FirstCompatibleDriver {
  // Whether the detail query reported failure (it does when the driver's ID list
  // does not fit, which is the usual case); only then is the date taken.
  bool detailReportedFailure = false;
  std::wstring shortDate;    // the driver date as the user's short date
  std::wstring infFileName;  // full path; empty when the detail could not be read
  std::wstring provider;
};

class EnumerationPlatform {
 public:
  virtual ~EnumerationPlatform() = default;

  // Prepares the thread (COM) and gets the set of present devices.
  virtual bool OpenDeviceSet() = 0;
  // Whether a device exists at index (false past the last one).
  virtual bool DeviceExists(std::size_t index) = 0;
  // The description of the device's setup class; empty when there is none.
  virtual std::wstring ClassDescription(std::size_t index) = 0;
  // Builds the compatible-driver list and returns its first driver, if any.
  virtual std::optional<FirstCompatibleDriver> FirstDriver(std::size_t index) = 0;
  // The first string of a property; none when it cannot be read.
  virtual std::optional<std::wstring> Property(std::size_t index, DeviceProperty which) = 0;
  // Releases the driver lists and the device set.
  virtual void CloseDeviceSet() = 0;

  // A string value of a key under HKEY_LOCAL_MACHINE; none when the key or the
  // value is missing.
  virtual std::optional<std::wstring> ReadMachineString(const std::wstring& keyPath,
                                                        const std::wstring& valueName) = 0;
  // A multi-string value, every string in order; empty when missing.
  virtual std::vector<std::wstring> ReadMachineMultiString(const std::wstring& keyPath,
                                                           const std::wstring& valueName) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // The Windows folder without a final backslash.
  virtual std::wstring WindowsFolder() = 0;

  // Path under HKEY_LOCAL_MACHINE of the instance key whose first hardware ID
  // equals id without regard to case; empty when there is none.
  virtual std::wstring LookupEnumKey(const std::wstring& id) = 0;
  // Fills the table from the system's signed-driver records; true when at least
  // one row was read.
  virtual bool LoadSignedDriverTable(SignerTable& table) = 0;
  virtual std::wstring GetImageCompanyName(const std::wstring& service) = 0;
  virtual OsVersionCode OsVersion() = 0;
};

}  // namespace velkor
