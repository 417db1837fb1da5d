#include "lookup/result_rows.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velkor {
namespace {

// An update table whose slots name a hardware ID for the given devices.
RecordTable Updates(std::initializer_list<std::int32_t> devices) {
  RecordTable table(kDeviceTableCapacity);
  for (std::int32_t n : devices) table[static_cast<std::size_t>(n)].HardwareId = L"PCI\\VEN_" + std::to_wstring(n);
  return table;
}

// Rows as one readable line each: kind, text, device.
std::vector<std::wstring> Lines(const ResultRows& rows) {
  std::vector<std::wstring> lines;
  for (const ResultRow& row : rows.rows) {
    lines.push_back(std::to_wstring(row.kind) + L" " + row.text + L" #" + std::to_wstring(row.device));
  }
  return lines;
}

PackageReadyTest ReadyFor(std::set<std::int32_t> ready, const RecordTable& table) {
  return [ready, &table](const DeviceRecord& update) {
    for (std::int32_t n : ready) {
      if (&table[static_cast<std::size_t>(n)] == &update) return true;
    }
    return false;
  };
}

TEST(ResultRows, CategoryRowsBeforeTheirDevicesInUpdateListOrder) {
  const RecordTable updates = Updates({3, 7, 12, 40});
  struct Case {
    const char* what;
    std::vector<std::wstring> list;
    std::set<std::int32_t> ready;
    std::vector<std::wstring> lines;
    std::map<std::wstring, std::wstring> rowToDevice;
    std::wstring shown;
  };
  const Case cases[] = {
      {"one category",
       {L"Display adapters|Radeon X1300|12", L"Display adapters|GeForce 7600|3"},
       {},
       {L"-1 Display adapters #12", L"0 Radeon X1300 #12", L"0 GeForce 7600 #3"},
       {{L"1", L"12"}, {L"2", L"3"}},
       L"12|3"},
      {"two categories, the second after its first device",
       {L" Display adapters |  Radeon X1300 |12", L"Network adapters|Realtek 8139| 40 "},
       {40},
       {L"-1 Display adapters #12", L"0 Radeon X1300 #12", L"-1 Network adapters #40", L"1 Realtek 8139 #40"},
       {{L"1", L"12"}, {L"3", L"40"}},
       L"12|40"},
      {"categories differing only in case share one row",
       {L"Sound, video and game controllers|Audio A|7", L"SOUND, VIDEO AND GAME CONTROLLERS|Audio B|3"},
       {},
       {L"-1 Sound, video and game controllers #7", L"0 Audio A #7", L"0 Audio B #3"},
       {{L"1", L"7"}, {L"2", L"3"}},
       L"7|3"},
      {"a device without an update slot is shown but gets no row; its category waits",
       {L"Ports|Com port|99", L"Ports|Printer port|7", L"USB|Hub|3"},
       {7},
       {L"-1 Ports #7", L"1 Printer port #7", L"-1 USB #3", L"0 Hub #3"},
       {{L"1", L"7"}, {L"3", L"3"}},
       L"99|7|3"},
      {"device -1 is skipped, a text without separators is not a device",
       {L"Ports|Nothing|-1", L"garbage", L"Ports|Printer port|7"},
       {},
       {L"-1 Ports #7", L"0 Printer port #7"},
       {{L"1", L"7"}},
       L"7"},
      {"a name containing the separator keeps it",
       {L"Ports|Printer|LPT1|7"},
       {},
       {L"-1 Ports #7", L"0 Printer|LPT1 #7"},
       {{L"1", L"7"}},
       L"7"},
  };
  for (const Case& c : cases) {
    const ResultRows rows = BuildResultRows(c.list, &updates, true, 2, ReadyFor(c.ready, updates));
    EXPECT_EQ(Lines(rows), c.lines) << c.what;
    EXPECT_EQ(rows.rowToDevice, c.rowToDevice) << c.what;
    EXPECT_EQ(rows.shownDevices, c.shown) << c.what;
  }
}

TEST(ResultRows, NothingWithoutAFinishedScanWithUpdates) {
  const RecordTable updates = Updates({3});
  const std::vector<std::wstring> list{L"Ports|Printer port|3"};
  EXPECT_TRUE(BuildResultRows(list, &updates, true, 0, {}).rows.empty()) << "no update counted";
  EXPECT_TRUE(BuildResultRows(list, &updates, false, 1, {}).rows.empty()) << "inventory failed";
  const ResultRows none = BuildResultRows(list, nullptr, true, 1, {});
  EXPECT_TRUE(none.rows.empty()) << "no update table";
  EXPECT_EQ(none.shownDevices, L"3");
  EXPECT_EQ(BuildResultRows(list, &updates, true, 1, {}).rows.size(), 2u) << "one update";
}

TEST(ResultRows, NumbersOutsideTheTableAreNeverLookedUp) {
  const RecordTable updates = Updates({3});
  const std::vector<std::wstring> list{L"Ports|A|2048", L"Ports|B|-5", L"Ports|C|99999999999", L"Ports|D|3"};
  const ResultRows rows = BuildResultRows(list, &updates, true, 1, {});
  EXPECT_EQ(Lines(rows), (std::vector<std::wstring>{L"-1 Ports #3", L"0 D #3"}));
}

TEST(ShownDeviceName, CutAfter58Characters) {
  const std::wstring exact(58, L'x');
  const std::wstring longer = std::wstring(55, L'y') + L"1234";
  EXPECT_EQ(ShownDeviceName(exact), exact);
  EXPECT_EQ(ShownDeviceName(longer), std::wstring(55, L'y') + L"...");
  EXPECT_EQ(ShownDeviceName(L""), L"");
}

}  // namespace
}  // namespace velkor
