#include "inventory/device_enumeration.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_enumeration_platform.hpp"
#include "inventory/device_table_filler.hpp"

namespace velkor {
namespace {

using testing::FakeDevice;
using testing::FakeEnumerationPlatform;
using testing::FakeStop;

struct Report {
  std::optional<DeviceRecord> record;
  int percent;
};

struct ScanRun {
  std::int32_t result = 0;
  std::size_t dropped = 0;
  std::vector<Report> reports;
  std::vector<const DeviceRecord*> listed() const {
    std::vector<const DeviceRecord*> out;
    for (const Report& r : reports) {
      if (r.record) out.push_back(&*r.record);
    }
    return out;
  }
  std::vector<int> percents() const {
    std::vector<int> out;
    for (const Report& r : reports) out.push_back(r.percent);
    return out;
  }
};

ScanRun Scan(FakeEnumerationPlatform& platform, FakeStop& stop) {
  ScanRun run;
  run.result = RunDeviceScan(
      platform, stop,
      [&run](const DeviceRecord* record, int percent) {
        run.reports.push_back({record ? std::optional<DeviceRecord>(*record) : std::nullopt, percent});
      },
      &run.dropped);
  return run;
}

ScanRun Scan(FakeEnumerationPlatform& platform) {
  FakeStop stop;
  return Scan(platform, stop);
}

const std::wstring kNetClass = L"{4D36E972-E325-11CE-BFC1-08002BE10318}";
const std::wstring kProcessorClass = L"{50127DC3-0F36-415E-A6CC-4CB3BE910B65}";

FakeDevice Device(const std::wstring& name, const std::wstring& hardwareId,
                  const std::wstring& driverKey = L"") {
  FakeDevice d;
  d.classDesc = L"Network adapters";
  d.friendlyName = name;
  d.hardwareId = hardwareId;
  if (!driverKey.empty()) d.driverKey = driverKey;
  return d;
}

// Which devices are left out, and in which order the rules apply.
TEST(DeviceEnumeration, ListsOnlyDevicesTheClassificationAccepts) {
  struct Case {
    const wchar_t* label;
    FakeDevice device;
    bool listed;
  };
  FakeDevice nonPnp = Device(L"Beep", L"PCI\\VEN_1234&DEV_0001");
  nonPnp.classDesc = L"Non-Plug and Play Drivers";
  FakeDevice nonPnpOtherCase = nonPnp;
  nonPnpOtherCase.classDesc = L"non-plug and play drivers";
  const Case cases[] = {
      {L"excluded class, key in upper case", Device(L"CPU", L"PCI\\VEN_1", kProcessorClass + L"\\0000"), false},
      {L"excluded class beats an exempt ID", Device(L"Bus", L"ACPI\\PNP0A03", kProcessorClass + L"\\0001"), false},
      {L"exempt ID", Device(L"PCI bus", L"ACPI\\PNP0A03", kNetClass + L"\\0002"), true},
      {L"generic ACPI ID", Device(L"Battery", L"ACPI\\PNP0C0A"), false},
      {L"star ID", Device(L"Mouse", L"*PNP0F13"), false},
      {L"class-generic PCI ID", Device(L"Hub", L"PCI\\CC_0403"), false},
      {L"specific PCI ID with a class code", Device(L"Audio", L"PCI\\VEN_8086&DEV_27D8&CC_0403"), true},
      {L"root device", Device(L"Root", L"ROOT\\LEGACY_BEEP"), false},
      {L"no hardware ID at all", FakeDevice{}, true},
      {L"non-PnP class, specific ID", nonPnp, false},
      {L"non-PnP class name compared exactly", nonPnpOtherCase, true},
  };
  for (const Case& c : cases) {
    FakeEnumerationPlatform platform;
    platform.devices = {c.device};
    const ScanRun run = Scan(platform);
    EXPECT_EQ(run.result, kResultCompleted);
    ASSERT_EQ(run.reports.size(), 1u);
    EXPECT_EQ(run.reports[0].record.has_value(), c.listed) << ""
                                                          << std::string(c.label, c.label + wcslen(c.label));
  }
}

TEST(DeviceEnumeration, NameAndClassFallBackToTheirDefaults) {
  FakeEnumerationPlatform platform;
  FakeDevice both = Device(L"Friendly", L"PCI\\VEN_1");
  both.description = L"Description";
  FakeDevice descOnly = Device(L"", L"PCI\\VEN_2");
  descOnly.friendlyName.reset();
  descOnly.description = L"Description only";
  FakeDevice emptyFriendly = Device(L"", L"PCI\\VEN_3");
  emptyFriendly.description = L"Described";
  FakeDevice none = Device(L"", L"PCI\\VEN_4");
  none.friendlyName.reset();
  none.classDesc.clear();
  platform.devices = {both, descOnly, emptyFriendly, none};
  const ScanRun run = Scan(platform);
  const auto listed = run.listed();
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[0]->Name, L"Friendly");
  EXPECT_EQ(listed[1]->Name, L"Description only");
  EXPECT_EQ(listed[2]->Name, L"Described");
  EXPECT_EQ(listed[3]->Name, L"Unknown Device");
  EXPECT_EQ(listed[0]->ClassDescription, L"Network adapters");
  EXPECT_EQ(listed[3]->ClassDescription, L"Other devices");
}

TEST(DeviceEnumeration, DriverFieldsComeFromTheClassKeyThenTheFirstCompatibleDriver) {
  const std::wstring key = kNetClass + L"\\0001";
  FirstCompatibleDriver first{true, L"6/21/2006", L"C:\\WINDOWS\\inf\\oem9.inf", L"First Provider"};
  struct Case {
    const char* label;
    std::map<std::wstring, std::wstring> classValues;
    std::optional<FirstCompatibleDriver> driver;
    std::set<std::wstring> files;
    std::int32_t osCode;
    const wchar_t *infPath, *provider, *date, *version;
  };
  FirstCompatibleDriver detailRead = first;
  detailRead.detailReportedFailure = false;
  const Case cases[] = {
      {"class key wins",
       {{L"InfPath", L"oem3.inf"}, {L"ProviderName", L"Realtek"}, {L"DriverDate", L"5-30-2002"},
        {L"DriverVersion", L"5.396.530.2002"}},
       first, {L"C:\\WINDOWS\\inf\\oem3.inf"}, 4,
       L"C:\\WINDOWS\\inf\\oem3.inf", L"Realtek", L"5-30-2002", L"5.396.530.2002"},
      {"INF named by the class key is missing", {{L"InfPath", L"oem3.inf"}}, first, {}, 4,
       L"C:\\WINDOWS\\inf\\oem9.inf", L"First Provider", L"6-21-2006", L""},
      {"INF value that leads out of the INF folder", {{L"InfPath", L"..\\system.ini"}}, first,
       {L"C:\\WINDOWS\\inf\\..\\system.ini"}, 4, L"C:\\WINDOWS\\inf\\oem9.inf", L"First Provider",
       L"6-21-2006", L""},
      {"date only when the detail query reported failure", {}, detailRead, {}, 4,
       L"C:\\WINDOWS\\inf\\oem9.inf", L"First Provider", L"", L""},
      {"no compatible driver: class key INF and provider stand in",
       {{L"InfPath", L"oem3.inf"}, {L"ProviderName", L"Realtek"}}, std::nullopt, {}, 4,
       L"oem3.inf", L"Realtek", L"", L""},
      {"Vista skips the compatible drivers", {}, first, {}, 6, L"", L"", L"", L""},
      {"no class values, no driver", {}, std::nullopt, {}, 4, L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    FakeEnumerationPlatform platform;
    FakeDevice d = Device(L"NIC", L"PCI\\VEN_10EC&DEV_8139", key);
    d.driver = c.driver;
    platform.devices = {d};
    for (const auto& [name, value] : c.classValues) platform.ClassValue(key, name, value);
    platform.files = c.files;
    platform.osCode = c.osCode;
    const auto run = Scan(platform);
    const auto listed = run.listed();
    ASSERT_EQ(listed.size(), 1u) << c.label;
    EXPECT_EQ(listed[0]->InfPath, c.infPath) << c.label;
    EXPECT_EQ(listed[0]->Provider, c.provider) << c.label;
    EXPECT_EQ(listed[0]->DriverDate, c.date) << c.label;
    EXPECT_EQ(listed[0]->DriverVersion, c.version) << c.label;
    EXPECT_EQ(listed[0]->DriverKey, key) << c.label;
    EXPECT_EQ(listed[0]->HardwareId, L"PCI\\VEN_10EC&DEV_8139") << c.label;
    EXPECT_TRUE(listed[0]->Spare.empty() && listed[0]->Md5.empty() && listed[0]->Tag == 0);
    if (c.osCode == 6) {
      EXPECT_EQ(platform.firstDriverCalls, 0);
    }
  }
}

TEST(DeviceEnumeration, MatchingIdsJoinTheMatchingIdAndTheCompatibleIds) {
  const std::wstring key = kNetClass + L"\\0004";
  const std::wstring instance = L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_10EC&DEV_8139\\3&1";
  struct Case {
    const char* label;
    std::optional<std::wstring> matchingId;
    std::vector<std::wstring> compatible;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"both", L"pci\\ven_10ec&dev_8139", {L"PCI\\VEN_10EC&DEV_8139&REV_10", L"PCI\\CC_020000"},
       L"pci\\ven_10ec&dev_8139|PCI\\VEN_10EC&DEV_8139&REV_10|PCI\\CC_020000"},
      {"no compatible IDs", L"pci\\ven_10ec&dev_8139", {}, L"pci\\ven_10ec&dev_8139"},
      {"no matching ID: no leading bar", std::nullopt, {L"A", L"B"}, L"A|B"},
      {"neither", std::nullopt, {}, L""},
  };
  for (const Case& c : cases) {
    FakeEnumerationPlatform platform;
    platform.devices = {Device(L"NIC", L"PCI\\VEN_10EC&DEV_8139", key)};
    if (c.matchingId) platform.ClassValue(key, L"MatchingDeviceId", *c.matchingId);
    platform.enumKeys[L"pci\\ven_10ec&dev_8139"] = instance;
    platform.multiStrings[{instance, L"CompatibleIDs"}] = c.compatible;
    const ScanRun run = Scan(platform);
  const auto listed = run.listed();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]->MatchingIds, c.expected) << c.label;
    EXPECT_EQ(platform.lookups, std::vector<std::wstring>{L"pci\\ven_10ec&dev_8139"});
  }
  // A device without hardware ID does not borrow another instance's IDs.
  FakeEnumerationPlatform platform;
  FakeDevice noId = Device(L"Mystery", L"", key);
  noId.hardwareId.reset();
  platform.devices = {noId};
  platform.ClassValue(key, L"MatchingDeviceId", L"m");
  platform.enumKeys[L""] = instance;
  platform.multiStrings[{instance, L"CompatibleIDs"}] = {L"someone else's"};
  const ScanRun run = Scan(platform);
  const auto listed = run.listed();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]->MatchingIds, L"m");
  EXPECT_TRUE(platform.lookups.empty());
}

TEST(DeviceEnumeration, SignerComesFromTheSignedDriverTableOrElseTheImageFile) {
  FakeDevice nic = Device(L"Realtek NIC", L"PCI\\VEN_10EC");
  nic.service = L"rtl8139";
  FakeDevice unnamed = Device(L"Other NIC", L"PCI\\VEN_8086");
  unnamed.service = L"e100b";
  FakeDevice noService = Device(L"Modem", L"PCI\\VEN_14F1");
  const std::vector<SignerRow> rows = {
      {L"x", L"Wrong", L"y"},
      {L"REALTEK nic", L"Microsoft Windows Hardware Compatibility Publisher", L""},
      {L"", L"Second match", L"realtek NIC"},
      {L"", L"Modem signer", L"MODEM"},
  };
  {
    FakeEnumerationPlatform platform;
    platform.devices = {nic, unnamed, noService};
    platform.signersAvailable = true;
    platform.signerRows = rows;
    platform.companies = {{L"rtl8139", L"Realtek"}, {L"e100b", L"Intel"}};
    const ScanRun run = Scan(platform);
  const auto listed = run.listed();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0]->Signer, L"Microsoft Windows Hardware Compatibility Publisher");
    EXPECT_EQ(listed[1]->Signer, L"") << "no row matches: no signer, service or not";
    EXPECT_EQ(listed[2]->Signer, L"Modem signer");
  }
  {
    FakeEnumerationPlatform platform;
    platform.devices = {nic, unnamed, noService};
    platform.signersAvailable = false;
    platform.signerRows = rows;
    platform.companies = {{L"rtl8139", L"Realtek"}, {L"e100b", L"Intel"}};
    const ScanRun run = Scan(platform);
  const auto listed = run.listed();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0]->Signer, L"Realtek");
    EXPECT_EQ(listed[1]->Signer, L"Intel");
    EXPECT_EQ(listed[2]->Signer, L"");
  }
}

TEST(DeviceEnumeration, PercentagesRunToOneHundredOnTheLastDevice) {
  FakeDevice nonPnp = Device(L"Beep", L"PCI\\VEN_2");
  nonPnp.classDesc = L"Non-Plug and Play Drivers";
  const FakeDevice ok = Device(L"A", L"PCI\\VEN_1");
  const FakeDevice generic = Device(L"Bus", L"ACPI\\PNP0C0A");
  struct Case {
    const char* label;
    std::vector<FakeDevice> devices;
    std::vector<int> percents;
    std::size_t listed;
  };
  const Case cases[] = {
      {"three listed", {ok, ok, ok}, {0, 33, 100}, 3},
      {"single device", {ok}, {100}, 1},
      {"last rejected by the classification", {ok, ok, ok, generic}, {0, 25, 50, 100}, 3},
      {"last skipped as non-PnP keeps the plain figure", {ok, ok, ok, nonPnp}, {0, 25, 50, 75}, 3},
      {"non-PnP in the middle", {ok, nonPnp, ok}, {0, 33, 100}, 2},
      {"seven devices", {ok, ok, ok, ok, ok, ok, ok}, {0, 14, 28, 42, 57, 71, 100}, 7},
  };
  for (const Case& c : cases) {
    FakeEnumerationPlatform platform;
    platform.devices = c.devices;
    const ScanRun run = Scan(platform);
    EXPECT_EQ(run.result, kResultCompleted) << c.label;
    EXPECT_EQ(run.percents(), c.percents) << c.label;
    EXPECT_EQ(run.listed().size(), c.listed) << c.label;
  }
}

TEST(DeviceEnumeration, StopRequestsEndTheScanWithAnAcknowledgement) {
  struct Case {
    const char* label;
    std::size_t stopAtIndexAsked;  // the DeviceExists call that raises the request
    int countingCalls;             // DeviceExists calls made while counting
    bool signalWorks;
    std::int32_t result;
    std::size_t reports;
    int signerLoads;
  };
  // Five devices: counting asks indices 0 (open check), 0..5; listing asks 0.. again.
  const Case cases[] = {
      {"while counting", 3, 0, true, kResultScanStopped, 0, 0},
      {"before the third device", 2, 7, true, kResultScanStopped, 2, 1},
      {"acknowledgement cannot be signalled", 2, 7, false, kResultFailed, 2, 1},
  };
  for (const Case& c : cases) {
    FakeEnumerationPlatform platform;
    platform.devices.assign(5, Device(L"A", L"PCI\\VEN_1"));
    FakeStop stop;
    stop.signalWorks = c.signalWorks;
    int calls = 0;
    platform.onDeviceExists = [&](std::size_t index) {
      ++calls;
      if (calls > c.countingCalls && index == c.stopAtIndexAsked && stop.state == kEngineRunning) {
        stop.state = kStopScan;
      }
    };
    const ScanRun run = Scan(platform, stop);
    EXPECT_EQ(run.result, c.result) << c.label;
    EXPECT_EQ(run.reports.size(), c.reports) << c.label;
    EXPECT_EQ(stop.acknowledgements, 1) << c.label;
    EXPECT_EQ(stop.state, kStopAcknowledged) << c.label;
    EXPECT_EQ(platform.signerLoads, c.signerLoads) << c.label;
    EXPECT_GE(platform.closes, 1) << c.label;
  }
  // A stop for the backup is not the scan's to honour.
  FakeEnumerationPlatform platform;
  platform.devices.assign(2, Device(L"A", L"PCI\\VEN_1"));
  FakeStop stop;
  stop.state = kStopBackup;
  EXPECT_EQ(Scan(platform, stop).result, kResultCompleted);
  EXPECT_EQ(stop.acknowledgements, 0);
}

TEST(DeviceEnumeration, FailuresYield33AndListNothing) {
  {
    FakeEnumerationPlatform platform;
    platform.openFails = true;
    platform.devices = {Device(L"A", L"PCI\\VEN_1")};
    const ScanRun run = Scan(platform);
    EXPECT_EQ(run.result, kResultFailed);
    EXPECT_TRUE(run.reports.empty());
  }
  {
    FakeEnumerationPlatform platform;  // no first device
    const ScanRun run = Scan(platform);
    EXPECT_EQ(run.result, kResultFailed);
    EXPECT_TRUE(run.reports.empty());
    EXPECT_GE(platform.closes, 1);
  }
  {
    FakeEnumerationPlatform platform;
    platform.devices.assign(3, Device(L"A", L"PCI\\VEN_1"));
    platform.throwAtClassDescription = 1;
    const ScanRun run = Scan(platform);
    EXPECT_EQ(run.result, kResultFailed);
    EXPECT_EQ(run.reports.size(), 1u);
    EXPECT_GE(platform.closes, 1);
  }
}

TEST(DeviceEnumeration, DevicesPastTheScanTableAreReportedButNotListed) {
  FakeEnumerationPlatform platform;
  platform.devices.assign(kScanTableCapacity + 6, Device(L"A", L"PCI\\VEN_1"));
  RecordTable deviceTable(kDeviceTableCapacity);
  DeviceTableFiller filler(deviceTable);
  FakeStop stop;
  std::size_t dropped = 0;
  int reports = 0;
  int last = -1;
  const std::int32_t result = RunDeviceScan(
      platform, stop,
      [&](const DeviceRecord* record, int percent) {
        ++reports;
        last = percent;
        if (record) {
          EXPECT_TRUE(filler.Add(*record));
        }
      },
      &dropped);
  EXPECT_EQ(result, kResultCompleted);
  EXPECT_EQ(reports, static_cast<int>(kScanTableCapacity + 6));
  EXPECT_EQ(last, 100);
  EXPECT_EQ(dropped, 6u);
  EXPECT_EQ(filler.Count(), static_cast<std::int32_t>(kScanTableCapacity));
}

TEST(DeviceTableFiller, CopiesDenselyAndStopsAtTheEndOfTheTable) {
  RecordTable table(3);
  table[0].Next = std::make_unique<RecordTable>(2);
  DeviceTableFiller filler(table);
  DeviceRecord record;
  for (int i = 0; i < 3; ++i) {
    record.Name = L"D" + std::to_wstring(i);
    EXPECT_TRUE(filler.Add(record));
  }
  record.Name = L"one too many";
  EXPECT_FALSE(filler.Add(record));
  EXPECT_EQ(filler.Count(), 3);
  EXPECT_EQ(table[2].Name, L"D2");
  EXPECT_NE(table[0].Next, nullptr) << "the first slot keeps the update table it owns";
  filler.Reset();
  EXPECT_EQ(filler.Count(), 0);
}

}  // namespace
}  // namespace velkor
