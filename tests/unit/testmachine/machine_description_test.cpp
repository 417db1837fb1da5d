#include "machine_description.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/utf.hpp"
#include "instance_id.hpp"

namespace velkor::testmachine {
namespace {

std::string Narrow(const std::wstring& text) { return ToUtf8(text); }

constexpr char kFull[] = R"({
  // comments are allowed
  "windows": "winxp",
  "_note": "keys starting with _ are notes",
  "devices": [ {
     "class_guid": "{4d36e968-e325-11ce-bfc1-08002be10318}",
     "class_name": "Display",
     "class_description": "Display adapters",
     "hardware_ids": ["PCI\\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2", "PCI\\VEN_10DE&DEV_0191"],
     "compatible_ids": ["PCI\\VEN_10DE&DEV_0191&REV_A2", "PCI\\CC_030000"],
     "friendly_name": "GeForce \u00e9", "device_desc": "NVIDIA GeForce 8800 GTX", "service": "nv",
     "driver": {
        "package": "../drivers/nv/nv.inf",
        "inf_path": "oem3.inf", "inf_section": "nv_inst", "inf_section_ext": ".NT",
        "version": "6.14.10.4764", "date": "6-21-2006", "provider": "Acme",
        "matching_device_id": "pci\\ven_10de&dev_0191"
     } },
     { "class_guid": "{8ECC055D-047F-11D1-A537-0000F8753ED1}", "hardware_ids": [],
       "instance_id": "ROOT\\LEGACY_BEEP\\0000" } ] })";

TEST(ParseMachineDescription, ReadsEveryKey) {
  const DescriptionResult result = ParseMachineDescription(kFull);
  ASSERT_TRUE(result.machine) << Narrow(result.error);
  const MachineDescription& machine = *result.machine;
  EXPECT_EQ(machine.windows, L"winxp");
  ASSERT_EQ(machine.devices.size(), 2u);
  const DeviceDescription& display = machine.devices[0];
  EXPECT_EQ(display.json_path, L"devices[0]");
  EXPECT_EQ(display.class_guid, L"{4d36e968-e325-11ce-bfc1-08002be10318}");
  EXPECT_EQ(display.class_name, L"Display");
  EXPECT_EQ(display.class_description, L"Display adapters");
  EXPECT_EQ(display.hardware_ids,
            (std::vector<std::wstring>{L"PCI\\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2", L"PCI\\VEN_10DE&DEV_0191"}));
  EXPECT_EQ(display.compatible_ids, (std::vector<std::wstring>{L"PCI\\VEN_10DE&DEV_0191&REV_A2", L"PCI\\CC_030000"}));
  EXPECT_EQ(display.friendly_name, L"GeForce \u00e9");
  EXPECT_EQ(display.device_desc, L"NVIDIA GeForce 8800 GTX");
  EXPECT_EQ(display.service, L"nv");
  EXPECT_EQ(display.instance_id, DeriveInstanceId(display.hardware_ids.front(), 0));
  ASSERT_TRUE(display.driver);
  EXPECT_EQ(display.driver->package, L"../drivers/nv/nv.inf");
  EXPECT_EQ(display.driver->inf_path, L"oem3.inf");
  EXPECT_EQ(display.driver->inf_section, L"nv_inst");
  EXPECT_EQ(display.driver->inf_section_ext, L".NT");
  EXPECT_EQ(display.driver->version, L"6.14.10.4764");
  EXPECT_EQ(display.driver->date, L"6-21-2006");
  EXPECT_EQ(display.driver->provider, L"Acme");
  EXPECT_EQ(display.driver->matching_device_id, L"pci\\ven_10de&dev_0191");

  const DeviceDescription& beep = machine.devices[1];
  EXPECT_TRUE(beep.hardware_ids.empty());
  EXPECT_EQ(beep.instance_id, L"ROOT\\LEGACY_BEEP\\0000");
  EXPECT_FALSE(beep.friendly_name || beep.device_desc || beep.service || beep.driver || beep.class_name);
}

TEST(ParseMachineDescription, LeavesOutWhatIsNotGiven) {
  const DescriptionResult result = ParseMachineDescription(
      R"({"devices":[{"class_guid":"{4d36e968-e325-11ce-bfc1-08002be10318}","hardware_ids":["X\\Y"],"driver":{}}]})");
  ASSERT_TRUE(result.machine) << Narrow(result.error);
  EXPECT_FALSE(result.machine->windows);
  const DeviceDescription& device = result.machine->devices.front();
  ASSERT_TRUE(device.driver);
  EXPECT_FALSE(device.driver->package || device.driver->inf_path || device.driver->matching_device_id);
  EXPECT_TRUE(device.compatible_ids.empty());
}

// Each fault is reported on one line that names where it is.
TEST(ParseMachineDescription, NamesTheFaultyValue) {
  const std::string guid = R"("class_guid":"{4d36e968-e325-11ce-bfc1-08002be10318}")";
  const auto device = [&guid](const std::string& more) {
    return R"({"devices":[{)" + guid + R"(,"hardware_ids":["PCI\\X"])" + more + "}]}";
  };
  struct Case {
    std::string json;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"", L"not valid JSON"},
      {"{\"devices\": [", L"not valid JSON"},
      {"{\"devices\": [\"\xff\"]}", L"not valid JSON"},
      {"[]", L"(top level): must be an object"},
      {"{}", L"devices: is missing"},
      {R"({"devices":{}})", L"devices: must be an array"},
      {R"({"devices":[1]})", L"devices[0]: must be an object"},
      {R"({"windows":"win95","devices":[]})", L"windows: \"win95\" is not one of"},
      {R"({"windows":"WinXP","devices":[]})", L"windows: \"WinXP\" is not one of"},
      {R"({"windows":5,"devices":[]})", L"windows: must be a string"},
      {R"({"device":[]})", L"device: unknown key"},
      {R"({"devices":[{"hardware_ids":["X"]}]})", L"devices[0].class_guid: is missing"},
      {R"({"devices":[{"class_guid":"4d36e968-e325-11ce-bfc1-08002be10318","hardware_ids":["X"]}]})",
       L"devices[0].class_guid: is not a GUID"},
      {R"({"devices":[{"class_guid":"{4d36e968-e325-11ce-bfc1-08002be1031}","hardware_ids":["X"]}]})",
       L"devices[0].class_guid: is not a GUID"},
      {R"({"devices":[{"class_guid":"{4d36e968-e325-11ce-bfc1-08002be1031g}","hardware_ids":["X"]}]})",
       L"devices[0].class_guid: is not a GUID"},
      {R"({"devices":[{"class_guid":"{4d36e968e-325-11ce-bfc1-08002be10318}","hardware_ids":["X"]}]})",
       L"devices[0].class_guid: is not a GUID"},
      {R"({"devices":[{)" + guid + "}]}", L"devices[0].hardware_ids: is missing"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":"PCI\\X"}]})", L"devices[0].hardware_ids: must be an array"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":[]}]})", L"devices[0].hardware_ids: is empty"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["PCI\\X",""]}]})", L"devices[0].hardware_ids[1]: is empty"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["PCI\\X",3]}]})",
       L"devices[0].hardware_ids[1]: must be a string, not a number"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["A\u0000B"]}]})", L"devices[0].hardware_ids[0]: contains a NUL"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["A\tB"]}]})",
       L"devices[0].hardware_ids[0]: contains a control character"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":[" A"]}]})", L"devices[0].hardware_ids[0]: has blanks"},
      {device(R"(,"compatible_ids":[null])"), L"devices[0].compatible_ids[0]: must be a string, not null"},
      {device(R"(,"friendly_name":"A\u0000")"), L"devices[0].friendly_name: contains a NUL"},
      {device(R"(,"device_desc":["x"])"), L"devices[0].device_desc: must be a string, not an array"},
      {device(R"(,"class_name":"")"), L"devices[0].class_name: is empty"},
      {device(R"(,"class_name":")" + std::string(33, 'C') + "\""), L"devices[0].class_name: is longer than 32"},
      {device(R"(,"service":"a\\b")"), L"devices[0].service: contains a slash or backslash"},
      {device(R"(,"service":"")"), L"devices[0].service: is empty"},
      {device(R"(,"instance_id":"ROOT\\X")"), L"devices[0].instance_id: is not a device instance ID"},
      {device(R"(,"instance_id":"ROOT\\A B\\0")"), L"devices[0].instance_id: is not a device instance ID"},
      {device(R"(,"hardware_id":["X"])"), L"devices[0].hardware_id: unknown key"},
      {device(R"(,"driver":"x.inf")"), L"devices[0].driver: must be an object"},
      {device(R"(,"driver":{"packag":"x.inf"})"), L"devices[0].driver.packag: unknown key"},
      {device(R"(,"driver":{"package":"C:\\x.inf"})"), L"devices[0].driver.package: must be relative"},
      {device(R"(,"driver":{"package":"/x.inf"})"), L"devices[0].driver.package: must be relative"},
      {device(R"(,"driver":{"package":"\\\\server\\x.inf"})"), L"devices[0].driver.package: must be relative"},
      {device(R"(,"driver":{"package":"x.sys"})"), L"devices[0].driver.package: must name an .inf file"},
      {device(R"(,"driver":{"package":""})"), L"devices[0].driver.package: is empty"},
      {device(R"(,"driver":{"version":6})"), L"devices[0].driver.version: must be a string"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":[],"instance_id":"ROOT\\X\\0","driver":{"package":"a.inf"}}]})",
       L"devices[0].driver.package: cannot be installed"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["A"],"instance_id":"ROOT\\X\\0"},{)" + guid +
           R"(,"hardware_ids":["B"],"instance_id":"root\\x\\0"}]})",
       L"devices[1]: has the same instance ID as devices[0]"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":["ROOT\\X"]},{)" + guid +
           R"(,"hardware_ids":["B"],"instance_id":"ROOT\\X\\0000"}]})",
       L"devices[1]: has the same instance ID as devices[0]"},
      {R"({"devices":[{)" + guid + R"(,"hardware_ids":[)" + [] {
         std::string ids;
         for (int i = 0; i < 65; ++i) ids += (i ? ",\"X" : "\"X") + std::to_string(i) + "\"";
         return ids;
       }() + "]}]}",
       L"devices[0].hardware_ids: has more than 64 IDs"},
      {std::string(40, '[') + std::string(40, ']'), L"nested deeper than 16 levels"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const DescriptionResult result = ParseMachineDescription(c.json);
    EXPECT_FALSE(result.machine);
    EXPECT_NE(result.error.find(c.message), std::wstring::npos) << Narrow(result.error);
    EXPECT_EQ(result.error.find(L'\n'), std::wstring::npos) << Narrow(result.error);
  }
}

TEST(ParseMachineDescription, RefusesAnOversizedDescription) {
  const std::string huge(kMaxDescriptionBytes + 1, ' ');
  const DescriptionResult result = ParseMachineDescription(huge);
  EXPECT_FALSE(result.machine);
  EXPECT_NE(result.error.find(L"larger than 16 MiB"), std::wstring::npos);
}

TEST(ParseMachineDescription, DerivesDistinctIdsForDevicesThatLookAlike) {
  const DescriptionResult result = ParseMachineDescription(R"({"devices":[
      {"class_guid":"{50127dc3-0f36-415e-a6cc-4cb3be910b65}","hardware_ids":["ACPI\\GenuineIntel_-_x86"]},
      {"class_guid":"{50127dc3-0f36-415e-a6cc-4cb3be910b65}","hardware_ids":["acpi\\genuineintel_-_x86"]}]})");
  ASSERT_TRUE(result.machine) << Narrow(result.error);
  EXPECT_EQ(result.machine->devices[0].instance_id, DeriveInstanceId(L"ACPI\\GenuineIntel_-_x86", 0));
  EXPECT_EQ(result.machine->devices[1].instance_id, DeriveInstanceId(L"ACPI\\GenuineIntel_-_x86", 1));
}

TEST(IsGuidText, AcceptsBracedGuidsInAnyCase) {
  EXPECT_TRUE(IsGuidText(L"{4d36e968-e325-11ce-bfc1-08002be10318}"));
  EXPECT_TRUE(IsGuidText(L"{4D36E972-E325-11CE-BFC1-08002bE10318}"));
  EXPECT_FALSE(IsGuidText(L"{4d36e968-e325-11ce-bfc1-08002be10318"));
  EXPECT_FALSE(IsGuidText(L"(4d36e968-e325-11ce-bfc1-08002be10318)"));
  EXPECT_FALSE(IsGuidText(L""));
}

// The fixture machines are valid, and every package they name exists.
TEST(FixtureMachines, AreValidAndTheirPackagesExist) {
  namespace fs = std::filesystem;
  const fs::path folder = VELKOR_FIXTURE_MACHINES;
  int machines = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".json") continue;
    ++machines;
    SCOPED_TRACE(entry.path().string());
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const DescriptionResult result = ParseMachineDescription(bytes.str());
    ASSERT_TRUE(result.machine) << Narrow(result.error);
    for (const DeviceDescription& device : result.machine->devices) {
      if (!device.driver || !device.driver->package) continue;
      EXPECT_TRUE(fs::exists(folder / fs::path(Narrow(*device.driver->package)))) << Narrow(*device.driver->package);
    }
  }
  EXPECT_GE(machines, 2);
}

}  // namespace
}  // namespace velkor::testmachine
