#include "inventory/driver_scanner_app.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace velkor {
namespace {

// A worker that polls the state the way the scan does and acknowledges its kind.
void PollAndAcknowledge(CDriverScannerApp& app, std::int32_t kind) {
  for (int i = 0; i < 2000; ++i) {
    if (app.ReadEngineState() == kind) {
      app.AcknowledgeStop();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST(CDriverScannerApp, RequestAbortReturnsTrueWhenTheWorkerAcknowledges) {
  CDriverScannerApp app(5000);
  for (std::int32_t kind : {kStopScan, kStopBackup}) {
    app.EngineState = kEngineRunning;
    std::thread worker(PollAndAcknowledge, std::ref(app), kind);
    EXPECT_TRUE(app.RequestAbort(kind));
    worker.join();
    EXPECT_EQ(app.EngineState.load(), kStopAcknowledged);
  }
}

TEST(CDriverScannerApp, RequestAbortGivesUpAfterTheWaitAndResetsTheEvent) {
  CDriverScannerApp app(150);
  // No worker: the full wait passes, then the requester gives up.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(app.RequestAbort(kStopScan));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(app.EngineState.load(), kStopAcknowledged);

  // An acknowledged stop resets the event: the next request waits again.
  app.EngineState = kEngineRunning;
  std::thread worker(PollAndAcknowledge, std::ref(app), kStopScan);
  EXPECT_TRUE(app.RequestAbort(kStopScan));
  worker.join();
  EXPECT_FALSE(app.RequestAbort(kStopBackup));
  EXPECT_EQ(app.EngineState.load(), kStopAcknowledged);
}

TEST(CDriverScannerApp, OtherKindsChangeNothing) {
  CDriverScannerApp app(10);
  app.EngineState = kEngineRunning;
  for (std::int32_t kind : {0, 7, 35, -1, 20}) {
    EXPECT_FALSE(app.RequestAbort(kind));
    EXPECT_EQ(app.EngineState.load(), kEngineRunning);
  }
}

TEST(CDriverScannerApp, RedirectionSwitchIsANoOpOutsideWow64) {
  CDriverScannerApp app;
#if defined(_WIN64)
  EXPECT_FALSE(app.m_bWow64);
  void* old = nullptr;
  EXPECT_FALSE(app.DisableRedirection(&old));
#endif
  { const ScopedRedirectionOff off(app); }  // balanced on every path
  EXPECT_NE(::GetFileAttributesW(L"C:\\windows\\system32\\kernel32.dll"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(&TheDriverScannerApp(), &TheDriverScannerApp());
}

}  // namespace
}  // namespace velkor
