#pragma once
// A machine described in memory, for driving the enumeration without Windows.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "inventory/enumeration_platform.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor::testing {

struct FakeDevice {
  std::wstring classDesc;
  std::optional<FirstCompatibleDriver> driver;
  std::optional<std::wstring> friendlyName, description, hardwareId, service, driverKey;
};

class FakeEnumerationPlatform : public EnumerationPlatform {
 public:
  std::vector<FakeDevice> devices;
  std::map<std::pair<std::wstring, std::wstring>, std::wstring> strings;
  std::map<std::pair<std::wstring, std::wstring>, std::vector<std::wstring>> multiStrings;
  std::set<std::wstring> files;
  std::map<std::wstring, std::wstring> enumKeys;  // lower-case hardware ID -> instance key
  std::vector<SignerRow> signerRows;
  bool signersAvailable = false;
  std::map<std::wstring, std::wstring> companies;  // service -> company name
  std::int32_t osCode = 4;
  bool openFails = false;
  // Called at every DeviceExists, with the index asked for.
  std::function<void(std::size_t)> onDeviceExists;
  std::size_t throwAtClassDescription = static_cast<std::size_t>(-1);

  int firstDriverCalls = 0;
  int signerLoads = 0;
  int closes = 0;
  std::vector<std::wstring> lookups;

  bool OpenDeviceSet() override { return !openFails; }
  bool DeviceExists(std::size_t index) override {
    if (onDeviceExists) onDeviceExists(index);
    return index < devices.size();
  }
  std::wstring ClassDescription(std::size_t index) override {
    if (index == throwAtClassDescription) throw std::runtime_error("device vanished");
    return devices.at(index).classDesc;
  }
  std::optional<FirstCompatibleDriver> FirstDriver(std::size_t index) override {
    ++firstDriverCalls;
    return devices.at(index).driver;
  }
  std::optional<std::wstring> Property(std::size_t index, DeviceProperty which) override {
    const FakeDevice& d = devices.at(index);
    switch (which) {
      case DeviceProperty::FriendlyName: return d.friendlyName;
      case DeviceProperty::DeviceDescription: return d.description;
      case DeviceProperty::HardwareId: return d.hardwareId;
      case DeviceProperty::Service: return d.service;
      case DeviceProperty::Driver: return d.driverKey;
    }
    return std::nullopt;
  }
  void CloseDeviceSet() override { ++closes; }
  std::optional<std::wstring> ReadMachineString(const std::wstring& key,
                                                const std::wstring& value) override {
    const auto it = strings.find({key, value});
    if (it == strings.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::wstring> ReadMachineMultiString(const std::wstring& key,
                                                   const std::wstring& value) override {
    const auto it = multiStrings.find({key, value});
    return it == multiStrings.end() ? std::vector<std::wstring>() : it->second;
  }
  bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
  std::wstring WindowsFolder() override { return L"C:\\WINDOWS"; }
  std::wstring LookupEnumKey(const std::wstring& id) override {
    lookups.push_back(id);
    const auto it = enumKeys.find(id);
    return it == enumKeys.end() ? std::wstring() : it->second;
  }
  bool LoadSignedDriverTable(SignerTable& table) override {
    ++signerLoads;
    if (!signersAvailable) return false;
    for (const SignerRow& row : signerRows) table.Add(row);
    return table.Count() > 0;
  }
  std::wstring GetImageCompanyName(const std::wstring& service) override {
    const auto it = companies.find(service);
    return it == companies.end() ? std::wstring() : it->second;
  }
  OsVersionCode OsVersion() override { return {osCode, 5, 1}; }

  // Sets a class-key value of the driver key.
  void ClassValue(const std::wstring& driverKey, const std::wstring& name, const std::wstring& value) {
    strings[{L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + driverKey, name}] = value;
  }
};

class FakeStop : public StopHandshake {
 public:
  std::int32_t state = kEngineRunning;
  bool signalWorks = true;
  int acknowledgements = 0;
  std::int32_t ReadEngineState() const override { return state; }
  bool AcknowledgeStop() override {
    ++acknowledgements;
    state = kStopAcknowledged;
    return signalWorks;
  }
};

}  // namespace velkor::testing
