// The scan run's parts over the real system (a private Wine prefix: the
// product key of the current user changes).
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "core/settings.hpp"
#include "core/stop_request.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "lookup/scan_parts_win.hpp"

namespace velkor {
namespace {

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length) + L"\\" + name;
}

class ScanPartsTest : public ::testing::Test {
 protected:
  WinScanParts Parts(RelaunchCommand relaunch = {}) { return WinScanParts(network, std::move(relaunch)); }

  CUpdateService network;  // not loaded
};

// The elevated start goes through the shell with the path in double quotes;
// a console waits for the instance and takes over its exit code.
TEST_F(ScanPartsTest, RelaunchStartsTheProgramAndWaitsWhenAsked) {
  struct Case {
    std::wstring program;
    std::wstring parameters;
    bool started;
    unsigned exitCode;
  };
  const Case cases[] = {
      {SystemProgram(L"cmd.exe"), L"/c exit 7", true, 7},
      // A quote in the path cannot end the quoting early: it is dropped.
      {L"\"" + SystemProgram(L"cmd.exe") + L"\"", L"/c exit 3", true, 3},
      {SystemProgram(L"no-such-program.exe"), L"1", false, 0},
  };
  for (const Case& c : cases) {
    WinScanParts parts = Parts({c.program, c.parameters, true});
    EXPECT_EQ(parts.RelaunchElevated(), c.started);
    EXPECT_EQ(parts.RelaunchedExitCode(), c.exitCode);
  }
}

// "LastScan" goes only under a product key that exists; the counts create it.
TEST_F(ScanPartsTest, LastScanNeedsTheProductKeyTheCountsCreateIt) {
  WinScanParts parts = Parts();
  SHDeleteKeyW(HKEY_CURRENT_USER, L"software\\VELKOR Brenn");
  parts.WriteProductValue(L"LastScan", L"December 10, 2026 07:00:00 AM ");
  EXPECT_EQ(parts.ReadProductValue(L"LastScan"), L"");
  parts.WriteProductValue(L"TotalDrivers", L"57");
  EXPECT_EQ(parts.ReadProductValue(L"TotalDrivers"), L"57");
  parts.WriteProductValue(L"LastScan", L"December 10, 2026 07:00:00 AM ");
  EXPECT_EQ(parts.ReadProductValue(L"LastScan"), L"December 10, 2026 07:00:00 AM ");
  SHDeleteKeyW(HKEY_CURRENT_USER, L"software\\VELKOR Brenn");
}

// A stop that was never acknowledged leaves the engine state behind; the next
// run must not take it for its own stop. A stop asked for after the run began
// (while the administrator question is open, say) ends its listing.
TEST_F(ScanPartsTest, RunClearsAStaleStopRequestButHonoursItsOwn) {
  WinScanParts parts = Parts();
  StopRequest stop(&TheDriverScannerApp());
  int listed = 0;
  const ProgressCallback count = [&](const DeviceRecord* record, int) { listed += record != nullptr; };
  TheDriverScannerApp().EngineState = kStopScan;
  stop.BeginRun();
  EXPECT_EQ(parts.RunDeviceScan(count), 32);
  EXPECT_GT(listed, 0);

  listed = 0;
  stop.BeginRun();
  TheDriverScannerApp().EngineState = kStopScan;
  EXPECT_EQ(parts.RunDeviceScan(count), 18);
  EXPECT_EQ(listed, 0);
}

TEST_F(ScanPartsTest, ClockAndSystemFacts) {
  WinScanParts parts = Parts();
  const LocalTime now = parts.Now();
  EXPECT_TRUE(now.valid);
  EXPECT_GE(now.year, 2000);
  EXPECT_GE(parts.WindowsMajorVersion(), 5);
  EXPECT_FALSE(parts.NetworkLoaded());
}

}  // namespace
}  // namespace velkor
