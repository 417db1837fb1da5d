// The whole scan on this prefix's own devices, with a stop requested from
// another thread the way the scan page's Stop button does it.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "inventory/device_enumeration.hpp"
#include "inventory/device_table_filler.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/enumeration_platform_win.hpp"

namespace velkor {
namespace {

TEST(DeviceScanOnWine, ListsThePrefixDevicesWithProgressToOneHundred) {
  CDriverScannerApp app(5000);
  WinEnumerationPlatform platform;
  RecordTable table(kDeviceTableCapacity);
  DeviceTableFiller filler(table);
  int calls = 0;
  int last = -1;
  bool rising = true;
  const std::int32_t result = RunDeviceScan(platform, app, [&](const DeviceRecord* r, int percent) {
    ++calls;
    rising = rising && percent >= last;
    last = percent;
    if (r != nullptr) filler.Add(*r);
  });
  EXPECT_EQ(result, kResultCompleted);
  EXPECT_GT(filler.Count(), 0);
  EXPECT_GE(calls, filler.Count());
  EXPECT_EQ(last, 100);
  EXPECT_TRUE(rising);
  for (std::int32_t i = 0; i < filler.Count(); ++i) {
    EXPECT_FALSE(table[i].Name.empty());
    EXPECT_FALSE(table[i].ClassDescription.empty());
  }
}

TEST(DeviceScanOnWine, StopDuringListingIsAcknowledgedAndKeepsWhatWasCopied) {
  CDriverScannerApp app(5000);
  app.EngineState = kEngineRunning;
  WinEnumerationPlatform platform;
  RecordTable table(kDeviceTableCapacity);
  DeviceTableFiller filler(table);
  std::atomic<bool> acknowledged{false};
  std::thread requester;
  int calls = 0;
  const std::int32_t result = RunDeviceScan(platform, app, [&](const DeviceRecord* r, int) {
    if (r != nullptr) filler.Add(*r);
    if (++calls == 1) {
      requester = std::thread([&] { acknowledged = app.RequestAbort(kStopScan); });
      while (app.ReadEngineState() != kStopScan) std::this_thread::yield();
    }
  });
  requester.join();
  EXPECT_EQ(result, kResultScanStopped);
  EXPECT_TRUE(acknowledged);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(app.EngineState.load(), kStopAcknowledged);
  EXPECT_LE(filler.Count(), 1);
}

TEST(DeviceScanOnWine, StopBeforeListingEndsTheScanWithNothingListed) {
  CDriverScannerApp app(5000);
  WinEnumerationPlatform platform;
  app.EngineState = kStopScan;  // as if requested while the devices were counted
  int calls = 0;
  EXPECT_EQ(RunDeviceScan(platform, app, [&](const DeviceRecord*, int) { ++calls; }),
            kResultScanStopped);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(app.EngineState.load(), kStopAcknowledged);
}

}  // namespace
}  // namespace velkor
