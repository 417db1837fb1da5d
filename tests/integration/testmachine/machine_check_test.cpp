// Checks a machine that testmachine has built in this Wine prefix against its
// description (VELKOR_MACHINE: path of the description file): every described
// device present once, with its IDs, names, service, driver key values, class
// description and instance key, and the Windows version that the description
// asks for.

#include <windows.h>
#include <objbase.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "machine_description.hpp"
#include "platform/unique_handle.hpp"

namespace velkor::testmachine {
namespace {

struct PresentDevice {
  GUID class_guid{};
  std::vector<std::wstring> hardware_ids;
  std::vector<std::wstring> compatible_ids;
  std::optional<std::wstring> friendly_name;
  std::optional<std::wstring> device_desc;
  std::optional<std::wstring> service;
  std::optional<std::wstring> driver;
};

std::optional<std::wstring> Property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property) {
  DWORD type = 0;
  DWORD size = 0;
  SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, nullptr, 0, &size);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
  std::wstring buffer(size / sizeof(wchar_t) + 2, L'\0');
  if (!SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                         size, nullptr)) {
    return std::nullopt;
  }
  buffer.resize(size / sizeof(wchar_t));
  return buffer;
}

std::vector<std::wstring> Split(const std::optional<std::wstring>& data) {
  std::vector<std::wstring> texts;
  if (!data) return texts;
  std::wstring_view rest = *data;
  while (!rest.empty() && rest.front() != L'\0') {
    const size_t end = rest.find(L'\0');
    texts.emplace_back(rest.substr(0, end));
    if (end == std::wstring_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return texts;
}

std::optional<std::wstring> FirstText(const std::optional<std::wstring>& data) {
  if (!data) return std::nullopt;
  return data->substr(0, data->find(L'\0'));
}

// Present devices by lower-case instance ID.
std::map<std::wstring, PresentDevice> PresentDevices() {
  std::map<std::wstring, PresentDevice> devices;
  const UniqueDevInfo set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!set) return devices;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof(data);
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set.get(), i, &data); ++i) {
    wchar_t id[512] = {};
    if (!SetupDiGetDeviceInstanceIdW(set.get(), &data, id, 512, nullptr)) continue;
    PresentDevice device;
    device.class_guid = data.ClassGuid;
    device.hardware_ids = Split(Property(set.get(), data, SPDRP_HARDWAREID));
    device.compatible_ids = Split(Property(set.get(), data, SPDRP_COMPATIBLEIDS));
    device.friendly_name = FirstText(Property(set.get(), data, SPDRP_FRIENDLYNAME));
    device.device_desc = FirstText(Property(set.get(), data, SPDRP_DEVICEDESC));
    device.service = FirstText(Property(set.get(), data, SPDRP_SERVICE));
    device.driver = FirstText(Property(set.get(), data, SPDRP_DRIVER));
    devices[AsciiToLower(id)] = std::move(device);
  }
  return devices;
}

std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& path, const wchar_t* name) {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  buffer.resize(size / sizeof(wchar_t));
  return buffer.substr(0, buffer.find(L'\0'));
}

std::wstring Guid(const GUID& guid) {
  wchar_t text[64];
  StringFromGUID2(guid, text, 64);
  return AsciiToLower(text);
}

std::wstring Describe(const DeviceDescription& device) { return device.json_path + L" " + device.instance_id; }

std::string Narrow(const std::wstring& text) { return ToUtf8(text); }

class MachineCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* path = std::getenv("VELKOR_MACHINE");
    ASSERT_NE(path, nullptr) << "set VELKOR_MACHINE to the machine description";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "cannot read " << path;
    std::stringstream bytes;
    bytes << file.rdbuf();
    DescriptionResult parsed = ParseMachineDescription(bytes.str());
    ASSERT_TRUE(parsed.machine) << Narrow(parsed.error);
    machine_ = new MachineDescription(std::move(*parsed.machine));
    present_ = new std::map<std::wstring, PresentDevice>(PresentDevices());
  }
  static void TearDownTestSuite() {
    delete machine_;
    delete present_;
    machine_ = nullptr;
    present_ = nullptr;
  }
  const PresentDevice* Find(const DeviceDescription& device) const {
    const auto it = present_->find(AsciiToLower(device.instance_id));
    return it == present_->end() ? nullptr : &it->second;
  }
  static MachineDescription* machine_;
  static std::map<std::wstring, PresentDevice>* present_;
};
MachineDescription* MachineCheck::machine_ = nullptr;
std::map<std::wstring, PresentDevice>* MachineCheck::present_ = nullptr;

TEST_F(MachineCheck, EveryDescribedDeviceIsPresentWithItsIdsNamesAndService) {
  ASSERT_FALSE(machine_->devices.empty());
  for (const DeviceDescription& device : machine_->devices) {
    SCOPED_TRACE(Narrow(Describe(device)));
    const PresentDevice* present = Find(device);
    ASSERT_NE(present, nullptr) << "not present";
    EXPECT_EQ(Guid(present->class_guid), AsciiToLower(device.class_guid));
    EXPECT_EQ(present->hardware_ids, device.hardware_ids);
    EXPECT_EQ(present->compatible_ids, device.compatible_ids);
    EXPECT_EQ(present->friendly_name, device.friendly_name);
    EXPECT_EQ(present->device_desc, device.device_desc);
    EXPECT_EQ(present->service, device.service);
  }
}

// A second run of testmachine must not add devices: as many present devices
// begin with a hardware ID as the description has.
TEST_F(MachineCheck, NoDeviceIsDuplicated) {
  std::map<std::wstring, int> described;
  for (const DeviceDescription& device : machine_->devices) {
    if (!device.hardware_ids.empty()) ++described[AsciiToLower(device.hardware_ids.front())];
  }
  std::map<std::wstring, int> present;
  for (const auto& [id, device] : *present_) {
    if (!device.hardware_ids.empty()) ++present[AsciiToLower(device.hardware_ids.front())];
  }
  for (const auto& [hardware_id, count] : described) {
    EXPECT_EQ(present[hardware_id], count) << Narrow(hardware_id);
  }
}

TEST_F(MachineCheck, DriverKeysCarryTheDescribedValues) {
  const std::optional<std::wstring> DriverDescription::*members[] = {
      &DriverDescription::inf_path, &DriverDescription::inf_section, &DriverDescription::inf_section_ext,
      &DriverDescription::version,  &DriverDescription::date,        &DriverDescription::provider,
      &DriverDescription::matching_device_id};
  const wchar_t* names[] = {L"InfPath",    L"InfSection",   L"InfSectionExt",   L"DriverVersion",
                            L"DriverDate", L"ProviderName", L"MatchingDeviceId"};
  for (const DeviceDescription& device : machine_->devices) {
    SCOPED_TRACE(Narrow(Describe(device)));
    const PresentDevice* present = Find(device);
    ASSERT_NE(present, nullptr);
    if (!device.driver) {
      EXPECT_FALSE(present->driver.has_value()) << "a device without driver has a driver key";
      continue;
    }
    ASSERT_TRUE(present->driver.has_value()) << "no driver key";
    // "{class guid}\NNNN", the form the inventory cuts the class from.
    ASSERT_EQ(present->driver->size(), 43u) << Narrow(*present->driver);
    EXPECT_TRUE(AsciiEqualsNoCase(present->driver->substr(0, 38), device.class_guid));
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + *present->driver;
    for (size_t i = 0; i < std::size(names); ++i) {
      const std::optional<std::wstring>& expected = (*device.driver).*members[i];
      const std::optional<std::wstring> actual = RegistryText(HKEY_LOCAL_MACHINE, key, names[i]);
      SCOPED_TRACE(Narrow(names[i]));
      if (expected) {
        EXPECT_EQ(actual, expected);
      } else if (i == 0 && device.driver->package) {
        // Not described: the installation's own INF name, a file in the INF folder.
        ASSERT_TRUE(actual.has_value());
        wchar_t windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        const std::wstring inf = std::wstring(windows) + L"\\inf\\" + *actual;
        EXPECT_NE(GetFileAttributesW(inf.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(inf);
      } else if (i != 1 && i != 2) {
        // Nothing else is written unless described (the installation writes the
        // INF section names only).
        EXPECT_FALSE(actual.has_value()) << Narrow(actual.value_or(L""));
      }
    }
  }
}

// The inventory finds a device's compatible IDs through the first instance key
// under Enum whose first HardwareID is the device's.
TEST_F(MachineCheck, InstanceKeysHoldHardwareAndCompatibleIds) {
  for (const DeviceDescription& device : machine_->devices) {
    if (device.hardware_ids.empty()) continue;
    SCOPED_TRACE(Narrow(Describe(device)));
    const std::wstring path = L"SYSTEM\\CurrentControlSet\\Enum\\" + device.instance_id;
    UniqueRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS);
    const auto read = [&key](const wchar_t* name) {
      DWORD type = 0;
      DWORD size = 0;
      if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::optional<std::wstring>{};
      }
      std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
      RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
      data.resize(size / sizeof(wchar_t));
      EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ)) << Narrow(name);
      return std::optional<std::wstring>(data);
    };
    EXPECT_EQ(Split(read(L"HardwareID")), device.hardware_ids);
    EXPECT_EQ(Split(read(L"CompatibleIDs")), device.compatible_ids);
  }
}

TEST_F(MachineCheck, DescribedClassesHaveTheirDescription) {
  for (const DeviceDescription& device : machine_->devices) {
    if (!device.class_description) continue;
    SCOPED_TRACE(Narrow(Describe(device)));
    GUID guid{};
    ASSERT_EQ(CLSIDFromString(device.class_guid.c_str(), &guid), NOERROR);
    wchar_t description[260] = {};
    ASSERT_TRUE(SetupDiGetClassDescriptionW(&guid, description, 260, nullptr));
    EXPECT_EQ(std::wstring(description), *device.class_description);
  }
}

// Each installed driver's service names an image with a company name: the
// inventory's signer when the system has no signed-driver table.
TEST_F(MachineCheck, ServiceImagesCarryACompanyName) {
  for (const DeviceDescription& device : machine_->devices) {
    if (!device.driver || !device.driver->package || !device.service) continue;
    SCOPED_TRACE(Narrow(Describe(device)));
    const std::optional<std::wstring> image =
        RegistryText(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\" + *device.service, L"ImagePath");
    ASSERT_TRUE(image.has_value());
    const std::wstring& file = *image;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    ASSERT_GT(size, 0u) << Narrow(file);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
    struct Translation {
      WORD language;
      WORD code_page;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, sizeof(Translation));
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translation->language, translation->code_page);
    wchar_t* company = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&company), &length));
    EXPECT_GT(std::wcslen(company), 0u);
  }
}

TEST_F(MachineCheck, WindowsReportsTheDescribedVersion) {
  if (!machine_->windows) GTEST_SKIP() << "the description leaves the version as it is";
  const std::map<std::wstring, std::pair<DWORD, DWORD>> versions = {
      {L"win2k", {5, 0}}, {L"winxp", {5, 1}},   {L"winxp64", {5, 2}}, {L"win2003", {5, 2}},
      {L"vista", {6, 0}}, {L"win2008", {6, 0}}, {L"win7", {6, 1}},
      // A program without a manifest that names Windows 10 is told 6.2, as on Windows.
      {L"win10", {6, 2}}};
  const auto expected = versions.find(*machine_->windows);
  ASSERT_NE(expected, versions.end());
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
  EXPECT_EQ(info.dwMajorVersion, expected->second.first);
  EXPECT_EQ(info.dwMinorVersion, expected->second.second);
}

}  // namespace
}  // namespace velkor::testmachine
