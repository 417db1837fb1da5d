#pragma once
// The enumeration's view of a real Windows machine: SetupAPI for the devices
// and their drivers, the registry, WMI and the file system.

#include <windows.h>
#include <setupapi.h>

#include <optional>

#include "inventory/enum_key_lookup.hpp"
#include "inventory/enumeration_platform.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class WinEnumerationPlatform final : public EnumerationPlatform {
 public:
  WinEnumerationPlatform();
  ~WinEnumerationPlatform() override;
  WinEnumerationPlatform(const WinEnumerationPlatform&) = delete;
  WinEnumerationPlatform& operator=(const WinEnumerationPlatform&) = delete;

  bool OpenDeviceSet() override;
  bool DeviceExists(std::size_t index) override;
  std::wstring ClassDescription(std::size_t index) override;
  std::optional<FirstCompatibleDriver> FirstDriver(std::size_t index) override;
  std::optional<std::wstring> Property(std::size_t index, DeviceProperty which) override;
  void CloseDeviceSet() override;
  std::optional<std::wstring> ReadMachineString(const std::wstring& keyPath,
                                                const std::wstring& valueName) override;
  std::vector<std::wstring> ReadMachineMultiString(const std::wstring& keyPath,
                                                   const std::wstring& valueName) override;
  bool FileExists(const std::wstring& path) override;
  std::wstring WindowsFolder() override;
  std::wstring LookupEnumKey(const std::wstring& id) override;
  bool LoadSignedDriverTable(SignerTable& table) override;
  std::wstring GetImageCompanyName(const std::wstring& service) override;
  OsVersionCode OsVersion() override;

 private:
  // The device at index, cached for the run of calls about one device.
  SP_DEVINFO_DATA* Device(std::size_t index);

  bool comInitialised_ = false;
  UniqueDevInfo devices_;
  std::size_t cachedIndex_ = static_cast<std::size_t>(-1);
  SP_DEVINFO_DATA cached_{};
  std::vector<std::size_t> driverLists_;  // devices whose driver list was built
  EnumKeyIndex enumKeys_;
  std::wstring windowsFolder_;
};

}  // namespace velkor
