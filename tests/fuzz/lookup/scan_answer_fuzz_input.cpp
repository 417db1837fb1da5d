#include <algorithm>

#include "inventory/classification.hpp"
#include "inventory/device_record.hpp"
#include "lookup/document_bytes.hpp"
#include "lookup/update_lookup.hpp"
#include "lookup_fuzz_inputs.hpp"

namespace velkor::fuzz {
namespace {

constexpr std::int32_t kDevices = 6;

void MakeDevice(DeviceRecord& d, const wchar_t* name, const wchar_t* cls, const wchar_t* hw,
                const wchar_t* ids) {
  d.Name = name;
  d.ClassDescription = cls;
  d.HardwareId = hw;
  d.MatchingIds = ids;
}

// A small machine: a sound card, the PCI bus, a USB hub, a device without
// compatible IDs, one without any ID, and a display adapter.
RecordTable MakeDeviceTable() {
  RecordTable table(kDeviceTableCapacity);
  MakeDevice(table[0], L"High Definition Audio", L"Sound, video and game controllers",
             L"PCI\\VEN_8086&DEV_27D8&SUBSYS_01F91028&REV_01",
             L"pci\\ven_8086&dev_27d8|PCI\\VEN_8086&DEV_27D8&REV_01|PCI\\VEN_8086&DEV_27D8|"
             L"PCI\\VEN_8086&CC_040300|PCI\\VEN_8086&CC_0403|PCI\\VEN_8086|PCI\\CC_040300|PCI\\CC_0403");
  MakeDevice(table[1], L"PCI bus", L"System devices", L"ACPI\\PNP0A03", L"acpi\\pnp0a03|*PNP0A03");
  MakeDevice(table[2], L"USB Root Hub", L"Universal Serial Bus controllers",
             L"USB\\ROOT_HUB20&VID8086&PID27CC&REV0001",
             L"usb\\root_hub20|USB\\ROOT_HUB20&VID8086&PID27CC|USB\\ROOT_HUB20");
  MakeDevice(table[3], L"Monitor", L"Monitors", L"MONITOR\\DEL4014", L"monitor\\del4014");
  MakeDevice(table[4], L"No IDs", L"Other devices", L"", L"");
  MakeDevice(table[5], L"Display", L"Display adapters", L"PCI\\VEN_10DE&DEV_0191&SUBSYS_039C10DE&REV_A2",
             L"pci\\ven_10de&dev_0191|PCI\\VEN_10DE&DEV_0191&REV_A2|PCI\\VEN_10DE&DEV_0191|PCI\\CC_030000");
  return table;
}

}  // namespace

std::string RunScanAnswerInput(const std::uint8_t* data, std::size_t size) {
  static const RecordTable devices = MakeDeviceTable();
  static const ClassificationSets sets = [] {
    ClassificationSets s;
    s.Refill();
    return s;
  }();
  // One update table for every input: only the device slots may be written, and
  // they are emptied again after the checks.
  static RecordTable updates(kDeviceTableCapacity);
  std::int32_t count = 0;
  std::vector<std::wstring> list{L"stale|entry|0"};
  CXml xml;
  CMarkup doc;
  const UpdateMatchTables tables{devices, kDevices, sets, updates, count, list};
  xml.ReadScanAnswer(doc, DecodeDocumentBytes(std::string_view(reinterpret_cast<const char*>(data), size)),
                     tables);

  const std::string problem = [&]() -> std::string {
    std::int32_t filled = 0;
    for (size_t n = 0; n < updates.Capacity(); ++n) {
      const DeviceRecord& slot = updates[n];
      if (slot.HardwareId.empty()) continue;
      if (n >= static_cast<size_t>(kDevices)) return "a slot past the device count was filled";
      const auto candidates = CXml::CandidateIds(devices[n], sets);
      if (std::find(candidates.begin(), candidates.end(), slot.HardwareId) == candidates.end()) {
        return "a slot was filled with an ID that is not one of the device's candidates";
      }
      if (slot.ClassDescription != devices[n].ClassDescription) return "class description not copied";
      ++filled;
    }
    if (filled != count) return "update count differs from the filled slots";
    if (list.size() > static_cast<size_t>(count)) return "more listed updates than updates";
    for (size_t i = 1; i < list.size(); ++i) {
      if (CompareUpdateListTexts(list[i - 1], list[i]) > 0) return "update list out of order";
    }
    return {};
  }();
  for (size_t n = 0; n < static_cast<size_t>(kDevices); ++n) updates[n] = DeviceRecord();
  return problem;
}

}  // namespace velkor::fuzz
