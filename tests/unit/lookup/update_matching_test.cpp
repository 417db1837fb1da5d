#include <gtest/gtest.h>

#include "lookup/update_lookup.hpp"

namespace velkor {
namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

const wchar_t kAudioHw[] = L"PCI\\VEN_8086&DEV_27D8&SUBSYS_01F91028&REV_01";
const wchar_t kAudioIds[] =
    L"pci\\ven_8086&dev_27d8|PCI\\VEN_8086&DEV_27D8&REV_01|PCI\\VEN_8086&DEV_27D8|PCI\\VEN_8086&CC_040300|"
    L"PCI\\VEN_8086&CC_0403|PCI\\VEN_8086|PCI\\CC_040300|PCI\\CC_0403";

// One answer record; fields in the order the service writes them, "signer" last.
std::wstring Record(int driverid, const std::wstring& id, const std::wstring& version,
                    const std::wstring& extra = L"") {
  return L"<Table><driverid>" + std::to_wstring(driverid) + L"</driverid><hardwareidentifier>" + id +
         L"</hardwareidentifier><hardwareid>SRV-" + version + L"</hardwareid><version>" + version +
         L"</version>" + extra + L"<signer>Vendor</signer></Table>\r\n";
}

std::wstring Answer(const std::wstring& records) { return L"<NewDataSet>\r\n" + records + L"</NewDataSet>"; }

class MatchTest : public ::testing::Test {
 protected:
  MatchTest() : devices(kDeviceTableCapacity), updates(kDeviceTableCapacity) { sets.Refill(); }

  DeviceRecord& AddDevice(const wchar_t* name, const wchar_t* cls, const wchar_t* hw, const wchar_t* ids) {
    DeviceRecord& d = devices[static_cast<size_t>(deviceCount++)];
    d.Name = name;
    d.ClassDescription = cls;
    d.HardwareId = hw;
    d.MatchingIds = ids;
    return d;
  }

  void Read(const std::wstring& answer) {
    updates = RecordTable(kDeviceTableCapacity);
    updateCount = 0;
    xml.ReadScanAnswer(doc, answer, UpdateMatchTables{devices, deviceCount, sets, updates, updateCount, updateList});
  }

  RecordTable devices;
  std::int32_t deviceCount = 0;
  ClassificationSets sets;
  RecordTable updates;
  std::int32_t updateCount = 0;
  std::vector<std::wstring> updateList;
  CXml xml;
  CMarkup doc;
};

TEST_F(MatchTest, CandidatesRunFromSpecificToGeneral) {
  struct Case {
    const wchar_t* hw;
    const wchar_t* ids;
    std::vector<std::wstring> candidates;
  };
  const std::vector<Case> cases = {
      {kAudioHw, kAudioIds,
       {L"pci\\ven_8086&dev_27d8&subsys_01f91028&rev_01", L"pci\\ven_8086&dev_27d8&subsys_01f91028",
        // the form without subsystem equals the matching ID, so it comes once, as the matching ID
        L"pci\\ven_8086&dev_27d8", L"pci\\ven_8086&dev_27d8&rev_01", L"pci\\ven_8086&dev_27d8",
        L"pci\\ven_8086&cc_040300", L"pci\\ven_8086&cc_0403", L"pci\\ven_8086", L"pci\\cc_040300",
        L"pci\\cc_0403"}},
      // A matching ID that differs from the form without subsystem: both are tried.
      {kAudioHw, L"pci\\ven_8086&dev_27d8&subsys_01f91028|PCI\\VEN_8086&DEV_27D8",
       {L"pci\\ven_8086&dev_27d8&subsys_01f91028&rev_01", L"pci\\ven_8086&dev_27d8&subsys_01f91028",
        L"pci\\ven_8086&dev_27d8", L"pci\\ven_8086&dev_27d8&subsys_01f91028", L"pci\\ven_8086&dev_27d8"}},
      // No MatchingIds: no candidate at all.
      {kAudioHw, L"", {}},
      // Only a matching ID: it alone, not the hardware ID.
      {kAudioHw, L"pci\\ven_8086&dev_27d8", {L"pci\\ven_8086&dev_27d8"}},
      // A generic matching ID is left out; the compatible IDs stay.
      {L"USB\\VID_04B4&PID_6560&REV_0009", L"usb\\class_09|USB\\Class_09&SubClass_00|USB\\Class_09",
       {L"usb\\vid_04b4&pid_6560&rev_0009", L"usb\\vid_04b4&pid_6560", L"usb\\class_09&subclass_00",
        L"usb\\class_09"}},
      // The PCI bus is exempt from the generic test.
      {L"ACPI\\PNP0A03", L"acpi\\pnp0a03|*PNP0A03", {L"acpi\\pnp0a03", L"acpi\\pnp0a03", L"*pnp0a03"}},
      // Pieces are trimmed where they are taken apart, empty pieces skipped.
      {L"  HID\\X  ", L" hid\\m | HID\\A||HID\\B ", {L"hid\\x", L"hid\\m", L"hid\\a", L"hid\\b"}},
  };
  for (const Case& c : cases) {
    DeviceRecord d;
    d.HardwareId = c.hw;
    d.MatchingIds = c.ids;
    EXPECT_EQ(CXml::CandidateIds(d, sets), c.candidates) << Narrow(c.ids);
  }
}

TEST_F(MatchTest, MostSpecificCandidateWinsThenFirstRecord) {
  AddDevice(L"Audio", L"Sound, video and game controllers", kAudioHw, kAudioIds);
  AddDevice(L"Audio 2", L"Sound, video and game controllers", kAudioHw, kAudioIds);
  Read(Answer(
      // Device 0: a compatible ID first in the answer, the full hardware ID second.
      Record(0, L"PCI\\VEN_8086&CC_0403", L"1.0") + Record(0, L"pci\\ven_8086&dev_27d8&subsys_01f91028&rev_01", L"2.0") +
      // Device 1: two records for the same ID.
      Record(1, L"PCI\\VEN_8086&DEV_27D8", L"3.0") + Record(1, L"pci\\ven_8086&dev_27d8", L"4.0")));
  EXPECT_EQ(updateCount, 2);
  EXPECT_EQ(updates[0].HardwareId, L"pci\\ven_8086&dev_27d8&subsys_01f91028&rev_01");
  EXPECT_EQ(updates[0].DriverVersion, L"2.0");
  EXPECT_EQ(updates[1].HardwareId, L"pci\\ven_8086&dev_27d8");
  EXPECT_EQ(updates[1].DriverVersion, L"3.0");
  // Sorted as texts: " " comes before "|".
  EXPECT_EQ(updateList, (std::vector<std::wstring>{L"Sound, video and game controllers|Audio 2|1",
                                                    L"Sound, video and game controllers|Audio|0"}));
}

TEST_F(MatchTest, FillsTheUpdateRecord) {
  AddDevice(L"Audio", L"Sound, video and game controllers", kAudioHw, kAudioIds);
  Read(Answer(L"<Table><driverid>0</driverid><hardwareidentifier>PCI\\VEN_8086&amp;DEV_27D8</hardwareidentifier>"
              L"<hardwareid>8086-27D8-XP</hardwareid><infdate>2008-03-11</infdate><infpath>hdaudio\\hda.inf</infpath>"
              L"<version>5.10.0.5504</version><isSpecificCase>1</isSpecificCase><md5>0123abcd</md5>"
              L"<isInstall>0</isInstall><signer>Realtek</signer></Table>"));
  ASSERT_EQ(updateCount, 1);
  const DeviceRecord& u = updates[0];
  EXPECT_EQ(u.HardwareId, L"pci\\ven_8086&dev_27d8");
  EXPECT_EQ(u.ServerHardwareId, L"8086-27D8-XP");
  EXPECT_EQ(u.DriverDate, L"2008-03-11");
  EXPECT_EQ(u.ServerInfPath, L"hdaudio\\hda.inf");
  EXPECT_EQ(u.DriverVersion, L"5.10.0.5504");
  EXPECT_EQ(u.Md5, L"0123abcd");
  EXPECT_EQ(u.Signer, L"Realtek");
  EXPECT_EQ(u.ClassDescription, L"Sound, video and game controllers");
  EXPECT_EQ(u.IsSpecificCase, 1);
  EXPECT_EQ(u.IsInstall, 0);
  EXPECT_EQ(u.Name, L"");
  EXPECT_EQ(u.MatchingIds, L"");
  EXPECT_EQ(u.Provider, L"");
}

TEST_F(MatchTest, ReadsTheFlagsAsDecimalIntegers) {
  struct Case {
    const wchar_t* isSpecificCase;  // nullptr: element absent
    const wchar_t* isInstall;
    int specific;
    int install;
  };
  const Case cases[] = {
      {nullptr, nullptr, 0, 1}, {L"1", L"1", 1, 1},     {L"0", L"0", 0, 0},   {L"  1x", L" +1", 1, 1},
      {L"01", L"2", 1, 0},      {L"yes", L"yes", 0, 0}, {L"-1", L"-1", 0, 0}, {L"", L"", 0, 1},
  };
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  for (const Case& c : cases) {
    std::wstring extra;
    if (c.isSpecificCase) extra += L"<isSpecificCase>" + std::wstring(c.isSpecificCase) + L"</isSpecificCase>";
    if (c.isInstall) extra += L"<isInstall>" + std::wstring(c.isInstall) + L"</isInstall>";
    Read(Answer(Record(0, L"pci\\ven_8086&dev_27d8", L"1", extra)));
    ASSERT_EQ(updateCount, 1);
    EXPECT_EQ(updates[0].IsSpecificCase, c.specific) << Narrow(extra);
    EXPECT_EQ(updates[0].IsInstall, c.install) << Narrow(extra);
  }
}

TEST_F(MatchTest, RecordWithoutSignerIsNeverCommitted) {
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  Read(Answer(L"<Table><driverid>0</driverid><hardwareidentifier>pci\\ven_8086&amp;dev_27d8</hardwareidentifier>"
              L"<version>9.9</version></Table>"));
  EXPECT_EQ(updateCount, 0);
  EXPECT_EQ(updates[0].HardwareId, L"");
  EXPECT_TRUE(updateList.empty());

  // Its texts carry into the next record of the same answer unless overwritten...
  Read(Answer(L"<Table><driverid>0</driverid><hardwareidentifier>nothing\\here</hardwareidentifier>"
              L"<version>9.9</version><md5>aa</md5></Table>" +
              std::wstring(L"<Table><driverid>0</driverid><hardwareidentifier>PCI\\VEN_8086</hardwareidentifier>"
                           L"<version>1.0</version><signer>S</signer></Table>")));
  ASSERT_EQ(updateCount, 1);
  EXPECT_EQ(updates[0].HardwareId, L"pci\\ven_8086");
  EXPECT_EQ(updates[0].DriverVersion, L"1.0");
  EXPECT_EQ(updates[0].Md5, L"aa");

  // ...but never into the next answer.
  Read(Answer(L"<Table><driverid>0</driverid><hardwareidentifier>PCI\\VEN_8086</hardwareidentifier>"
              L"<md5>bb</md5></Table>"));
  Read(Answer(L"<Table><driverid>0</driverid><signer>S</signer></Table>"));
  EXPECT_EQ(updateCount, 0);
}

TEST_F(MatchTest, GenericMatchCountsButIsNotListed) {
  AddDevice(L"PCI bus", L"System devices", L"ACPI\\PNP0A03", L"acpi\\pnp0a03|*PNP0A03");
  AddDevice(L"Generic USB Hub", L"Universal Serial Bus controllers", L"USB\\VID_04B4&PID_6560&REV_0009",
            L"usb\\class_09|USB\\Class_09&SubClass_00|USB\\Class_09");
  Read(Answer(Record(0, L"ACPI\\PNP0A03", L"1") + Record(1, L"usb\\class_09", L"2")));
  EXPECT_EQ(updateCount, 2);
  EXPECT_EQ(updates[0].HardwareId, L"acpi\\pnp0a03");
  EXPECT_EQ(updates[1].HardwareId, L"usb\\class_09");
  EXPECT_EQ(updateList, std::vector<std::wstring>{L"System devices|PCI bus|0"});
}

TEST_F(MatchTest, NamesMatchInAnyCaseAndValuesAreTrimmed) {
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  // Records may stand at any depth, inside any containers.
  Read(L"<?xml version=\"1.0\"?>\r\n<NewDataSet><Outer><Table>\r\n"
       L"  <DRIVERID>  0 </DRIVERID>\r\n"
       L"  <HardwareIdentifier>\r\n\tPCI\\VEN_8086&amp;DEV_27D8 \r\n</HardwareIdentifier>\r\n"
       L"  <Version> 7.1 </Version><IsInstall> 0 </IsInstall><unknown>x</unknown>\r\n"
       L"  <SIGNER> Vendor </SIGNER>\r\n</Table></Outer></NewDataSet>");
  ASSERT_EQ(updateCount, 1);
  EXPECT_EQ(updates[0].HardwareId, L"pci\\ven_8086&dev_27d8");
  EXPECT_EQ(updates[0].DriverVersion, L"7.1");
  EXPECT_EQ(updates[0].Signer, L"Vendor");
  EXPECT_EQ(updates[0].IsInstall, 0);
}

// A driverid that is not a device number of this scan never indexes a table.
TEST_F(MatchTest, DropsRecordsOfUnknownDevices) {
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  AddDevice(L"Audio 2", L"Sound", kAudioHw, kAudioIds);
  std::wstring records;
  for (const wchar_t* id : {L"-1", L"2", L"2047", L"2048", L"-2147483648", L"99999999999999", L"x"}) {
    records += L"<T><driverid>" + std::wstring(id) +
               L"</driverid><hardwareidentifier>pci\\ven_8086</hardwareidentifier><signer>S</signer></T>";
  }
  // A record closed before any driverid belongs to no device.
  Read(Answer(L"<T><hardwareidentifier>pci\\ven_8086</hardwareidentifier><signer>S</signer></T>" + records +
              Record(1, L"pci\\ven_8086", L"1")));
  EXPECT_EQ(updateCount, 2);  // "x" reads as device 0
  EXPECT_EQ(updates[0].HardwareId, L"pci\\ven_8086");
  EXPECT_EQ(updates[1].HardwareId, L"pci\\ven_8086");
  for (size_t n = 2; n < updates.Capacity(); ++n) ASSERT_EQ(updates[n].HardwareId, L"") << n;
}

TEST_F(MatchTest, UnreadableAnswerLeavesEverythingEmpty) {
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  for (const wchar_t* answer : {L"", L"<NewDataSet>", L"not xml", L"<NewDataSet/>",
                                L"<NewDataSet><driverid>0</driverid></NewDataSet>"}) {
    updateList = {L"left over|from|before"};
    Read(answer);
    EXPECT_EQ(updateCount, 0) << Narrow(answer);
    EXPECT_EQ(updates[0].HardwareId, L"");
    EXPECT_TRUE(updateList.empty());
  }
  // The root itself is never a field.
  Read(L"<signer>S</signer>");
  EXPECT_EQ(updateCount, 0);
}

TEST_F(MatchTest, AddsToTheCountAndKeepsFilledSlots) {
  AddDevice(L"Audio", L"Sound", kAudioHw, kAudioIds);
  AddDevice(L"Audio 2", L"Sound", kAudioHw, kAudioIds);
  RecordTable table(kDeviceTableCapacity);
  table[1].HardwareId = L"already\\set";
  std::int32_t count = 5;
  std::vector<std::wstring> list;
  xml.ReadScanAnswer(doc, Answer(Record(0, L"pci\\ven_8086", L"1") + Record(1, L"pci\\ven_8086", L"1")),
                     UpdateMatchTables{devices, deviceCount, sets, table, count, list});
  EXPECT_EQ(count, 6);
  EXPECT_EQ(table[1].HardwareId, L"already\\set");
  EXPECT_EQ(list, std::vector<std::wstring>{L"Sound|Audio|0"});
}

TEST_F(MatchTest, SortsTheUpdateListFoldingOnlyAToZ) {
  const wchar_t* classes[] = {
      L"sound", L"Display adapters", L"_Other", L"Zebra", L"display adapters", L"\u00c4rger", L"Display adapters",
      L"Display adapters", L"Display adapters", L"Display adapters", L"Display adapters",
  };
  for (const wchar_t* cls : classes) AddDevice(L"N", cls, kAudioHw, kAudioIds);
  std::wstring records;
  for (int n = 0; n < deviceCount; ++n) records += Record(n, L"pci\\ven_8086", L"1");
  Read(Answer(records));
  EXPECT_EQ(updateCount, deviceCount);
  EXPECT_EQ(updateList, (std::vector<std::wstring>{
                            L"_Other|N|2",  // "_" sorts before every letter once A-Z fold
                            L"Display adapters|N|1", L"Display adapters|N|10", L"display adapters|N|4",
                            L"Display adapters|N|6", L"Display adapters|N|7", L"Display adapters|N|8",
                            L"Display adapters|N|9", L"sound|N|0", L"Zebra|N|3", L"\u00c4rger|N|5"}));
  EXPECT_LT(CompareUpdateListTexts(L"ABC", L"abd"), 0);
  EXPECT_EQ(CompareUpdateListTexts(L"ABC", L"abc"), 0);
  EXPECT_LT(CompareUpdateListTexts(L"ab", L"abc"), 0);
  // Outside A-Z nothing folds, and UTF-16 code units decide: U+FF21 sorts after
  // the lead surrogate of U+1F600 although its code point is smaller.
  EXPECT_GT(CompareUpdateListTexts(L"\uFF21", L"\U0001F600"), 0);
  EXPECT_GT(CompareUpdateListTexts(L"\u00e4", L"\u00c4"), 0);
}

// The candidate buffer holds 2047 units: a list past it keeps only the
// candidates that fit whole, and never a cut-off, shorter ID.
TEST_F(MatchTest, CandidateListPastTheBufferKeepsWholeIdsOnly) {
  std::wstring ids = L"hid\\m";
  for (int i = 0; i < 200; ++i) ids += L"|HID\\COMPAT_" + std::to_wstring(1000 + i);
  DeviceRecord& d = AddDevice(L"Big", L"Human Interface Devices", L"HID\\DEVICE", ids.c_str());
  const std::vector<std::wstring> candidates = CXml::CandidateIds(d, sets);
  size_t units = 0;
  for (const std::wstring& c : candidates) units += c.size() + 1;
  EXPECT_LE(units - 1, kCandidateBufferUnits - 1);
  ASSERT_LT(candidates.size(), 203u);
  const std::wstring last = candidates.back();
  // hid\device, hid\m, then the compatible IDs that fit.
  const std::wstring firstMissing = L"hid\\compat_" + std::to_wstring(1000 + candidates.size() - 2);
  EXPECT_EQ(last, L"hid\\compat_" + std::to_wstring(1000 + candidates.size() - 3));
  EXPECT_EQ(candidates.size(), 128u);

  // The first candidate that no longer fits, and its cut-off front part, match nothing.
  Read(Answer(Record(0, firstMissing, L"1") + Record(0, firstMissing.substr(0, 14), L"2") +
              Record(0, L"hid\\compat_1", L"3")));
  EXPECT_EQ(updateCount, 0);
  Read(Answer(Record(0, firstMissing, L"1") + Record(0, last, L"2")));
  EXPECT_EQ(updates[0].HardwareId, last);
}

}  // namespace
}  // namespace velkor
