#include "inventory/device_record.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(DeviceRecord, CopyTakesTextsAndNumbersButNeverTheUpdateTable) {
  DeviceRecord first;
  first.Name = L"NVIDIA GeForce 7300 GS";
  first.MatchingIds = L"pci\\ven_10de&dev_01df|PCI\\CC_030000";
  first.Tag = -4;
  first.IsSpecificCase = 1;
  first.IsInstall = 1;
  first.Next = std::make_unique<RecordTable>(kDeviceTableCapacity);
  (*first.Next)[3].HardwareId = L"pci\\ven_10de&dev_01df";

  DeviceRecord copy(first);
  EXPECT_EQ(copy.Name, first.Name);
  EXPECT_EQ(copy.MatchingIds, first.MatchingIds);
  EXPECT_EQ(copy.Tag, -4);
  EXPECT_EQ(copy.IsSpecificCase, 1);
  EXPECT_EQ(copy.IsInstall, 1);
  EXPECT_EQ(copy.Next, nullptr);

  // Assigning over the first slot keeps the table that slot owns.
  DeviceRecord other;
  other.Name = L"Other";
  first = other;
  EXPECT_EQ(first.Name, L"Other");
  ASSERT_NE(first.Next, nullptr);
  EXPECT_EQ((*first.Next)[3].HardwareId, L"pci\\ven_10de&dev_01df");
}

TEST(RecordTable, SlotRejectsNumbersOutsideTheTable) {
  RecordTable table(kDeviceTableCapacity);
  EXPECT_NE(table.Slot(0), nullptr);
  EXPECT_NE(table.Slot(2047), nullptr);
  EXPECT_EQ(table.Slot(2048), nullptr);
  EXPECT_EQ(table.Slot(-1), nullptr);
  EXPECT_EQ(table.Slot(INT64_MIN), nullptr);
  EXPECT_TRUE(table[5].Name.empty());
}

TEST(DriverState, FollowsTheUpdateSlot) {
  DeviceRecord slot;
  EXPECT_EQ(StateOf(&slot, false), DriverState::NotScanned);
  EXPECT_EQ(StateOf(&slot, true), DriverState::UpToDate);
  slot.Md5 = L"0123";  // other fields set without a hardware ID do not count
  EXPECT_EQ(StateOf(&slot, true), DriverState::UpToDate);
  slot.HardwareId = L"pci\\ven_10de";
  EXPECT_EQ(StateOf(&slot, true), DriverState::OutOfDate);
  EXPECT_EQ(StateOf(nullptr, true), DriverState::UpToDate);
}

}  // namespace
}  // namespace velkor
