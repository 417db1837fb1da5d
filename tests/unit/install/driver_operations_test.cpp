#include "install/driver_operations.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/command_lines.hpp"
#include "install/update_tool_protocol.hpp"

namespace velkor {
namespace {

// A system that logs every call in order and answers as it is told.
class FakeDriverSystem final : public DriverSystem {
 public:
  bool plugAndPlayInstalls = false;
  bool plugAndPlayRestart = false;
  int windowsMajor = 6;
  bool toolExists = true;
  bool toolStarts = true;       // false: no process (missing file, elevation refused)
  bool toolEnds = true;         // false: still running after the wait
  std::optional<std::uint32_t> toolExitCode = kToolInstalled;
  bool copyOemInfSucceeds = true;
  bool difx = true;
  std::int32_t osCode = 6;
  std::vector<std::wstring> log;

  RedirectionState DisableRedirection() override {
    log.push_back(L"redirection off");
    return {true, &marker_};
  }
  void RevertRedirection(const RedirectionState& state) override {
    log.push_back(state.oldValue == &marker_ ? L"redirection back" : L"redirection back (wrong value)");
  }
  void SleepMilliseconds(std::uint32_t milliseconds) override {
    log.push_back(L"sleep " + std::to_wstring(milliseconds));
  }
  bool UpdateDriverForPlugAndPlayDevices(const std::wstring& hardwareId, const std::wstring& infPath,
                                         std::uint32_t flags, bool& restartNeeded) override {
    log.push_back(L"pnp " + hardwareId + L" " + infPath + L" flags " + std::to_wstring(flags));
    restartNeeded = plugAndPlayRestart;
    return plugAndPlayInstalls;
  }
  int WindowsMajorVersion() override { return windowsMajor; }
  bool FileExists(const std::wstring& path) override {
    log.push_back(L"exists " + path);
    return toolExists;
  }
  std::unique_ptr<StartedProcess> ShellExecuteHidden(const wchar_t* verb, const std::wstring& file,
                                                     const std::wstring& parameters) override {
    log.push_back(std::wstring(L"shell ") + verb + L" " + file + L" " + parameters);
    if (!toolStarts) return nullptr;
    return std::make_unique<Process>(*this);
  }
  bool SetupCopyOemInf(const std::wstring& infPath) override {
    log.push_back(L"copy oem inf " + infPath);
    return copyOemInfSucceeds;
  }
  bool HasDifx() override { return difx; }
  void DriverPackagePreinstall(const std::wstring& infPath, std::uint32_t flags) override {
    log.push_back(L"preinstall " + infPath + L" flags " + std::to_wstring(flags));
  }
  std::int32_t OsVersionCode() override { return osCode; }
  void EnableShutdownPrivilege() override { log.push_back(L"shutdown privilege"); }
  bool CallExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    log.push_back(L"exit windows " + std::to_wstring(flags) + L" " + std::to_wstring(reason));
    return true;
  }

 private:
  class Process final : public StartedProcess {
   public:
    explicit Process(FakeDriverSystem& system) : system_(system) {}
    bool WaitEnded(std::uint32_t milliseconds) override {
      system_.log.push_back(L"wait " + std::to_wstring(milliseconds));
      return system_.toolEnds;
    }
    std::optional<std::uint32_t> ExitCode() override { return system_.toolEnds ? system_.toolExitCode : std::nullopt; }

   private:
    FakeDriverSystem& system_;
  };
  int marker_ = 0;
};

const std::wstring kId = L"PCI\\VEN_10EC&DEV_8168";
const std::wstring kInf = L"C:\\dl\\nic\\nic.inf";
const std::wstring kSupport = L"C:\\Velkor\\Vista\\";

std::wstring ToolPath() { return kSupport + BuildUpdateToolFileName(); }
std::wstring ToolCall(const wchar_t* verb) {
  return std::wstring(L"shell ") + verb + L" " + ToolPath() + L" update \"" + kInf + L"\" \"" + kId + L"\"";
}

TEST(InstallInfForDevice, PlugAndPlayWithoutForcingBetweenTheRedirectionSwitch) {
  FakeDriverSystem system;
  system.plugAndPlayInstalls = true;
  system.plugAndPlayRestart = true;
  CDriverOperations operations(system);
  const InfInstallResult result = operations.InstallInfForDevice(kId, kInf, kSupport);
  EXPECT_TRUE(result.installed);
  EXPECT_TRUE(result.restartNeeded);
  const std::vector<std::wstring> expected = {L"redirection off", L"sleep 1000",
                                              L"pnp " + kId + L" " + kInf + L" flags 0", L"redirection back"};
  EXPECT_EQ(system.log, expected);
}

TEST(InstallInfForDevice, RefusedInstallGoesToTheUpdateToolOnlyWithASupportFolder) {
  {
    FakeDriverSystem system;
    CDriverOperations operations(system);
    const InfInstallResult result = operations.InstallInfForDevice(kId, kInf, L"");
    EXPECT_FALSE(result.installed);
    const std::vector<std::wstring> expected = {L"redirection off", L"sleep 1000",
                                                L"pnp " + kId + L" " + kInf + L" flags 0", L"redirection back"};
    EXPECT_EQ(system.log, expected);
  }
  {
    FakeDriverSystem system;
    CDriverOperations operations(system);
    const InfInstallResult result = operations.InstallInfForDevice(kId, kInf, kSupport);
    EXPECT_TRUE(result.installed);
    EXPECT_FALSE(result.restartNeeded);
    const std::vector<std::wstring> expected = {
        L"redirection off", L"sleep 1000", L"pnp " + kId + L" " + kInf + L" flags 0", L"sleep 10",
        L"exists " + ToolPath(), ToolCall(L"runas"), L"wait 1800000", L"redirection back"};
    EXPECT_EQ(system.log, expected);
  }
}

TEST(InstallInfForDevice, OutcomeOfTheUpdateTool) {
  struct Case {
    const char* what;
    bool exists, starts, ends;
    std::optional<std::uint32_t> exitCode;
    bool installed, restartNeeded;
  };
  const Case cases[] = {
      {"installed", true, true, true, kToolInstalled, true, false},
      {"installed, restart needed", true, true, true, kToolInstalledRestartNeeded, true, true},
      // The tool's answer counts: a refused install is not reported as done.
      {"refused by the system", true, true, true, kToolRefused, false, false},
      {"arguments refused", true, true, true, kToolBadArguments, false, false},
      {"crashed", true, true, true, 0xC0000005u, false, false},
      {"exit code unknown", true, true, true, std::nullopt, false, false},
      {"still running after 30 minutes", true, true, false, std::nullopt, false, false},
      {"elevation refused", true, false, false, std::nullopt, false, false},
      {"tool missing", false, true, true, kToolInstalled, false, false},
  };
  for (const Case& c : cases) {
    FakeDriverSystem system;
    system.toolExists = c.exists;
    system.toolStarts = c.starts;
    system.toolEnds = c.ends;
    system.toolExitCode = c.exitCode;
    CDriverOperations operations(system);
    const InfInstallResult result = operations.InstallInfForDevice(kId, kInf, kSupport);
    EXPECT_EQ(result.installed, c.installed) << c.what;
    EXPECT_EQ(result.restartNeeded, c.restartNeeded) << c.what;
    EXPECT_EQ(system.log.back(), L"redirection back") << c.what;
  }
}

TEST(RunUpdateHelper, VerbByWindowsVersionAndTheToolInTheSupportFolder) {
  for (const int major : {5, 6, 10}) {
    FakeDriverSystem system;
    system.windowsMajor = major;
    CDriverOperations operations(system);
    bool restart = true;
    EXPECT_TRUE(operations.RunUpdateHelper(kId, kInf, L"C:\\Velkor\\Vista", &restart));
    EXPECT_FALSE(restart);
    EXPECT_EQ(system.log.at(2), ToolCall(major >= 6 ? L"runas" : L"open")) << major;
  }
}

TEST(RunUpdateHelper, AValueThatCouldLeaveItsQuotesStartsNothing) {
  FakeDriverSystem system;
  CDriverOperations operations(system);
  EXPECT_FALSE(operations.RunUpdateHelper(L"PCI\\VEN\" \"C:\\evil.inf", kInf, kSupport));
  EXPECT_FALSE(operations.RunUpdateHelper(kId, L"C:\\dl\\\"x.inf", kSupport));
  EXPECT_TRUE(system.log.empty());
}

TEST(StageDriverPackage, DriverStoreFirstThenLegacyPreinstallOnlyOn32BitVista) {
  struct Case {
    const char* what;
    bool copies, difx;
    std::int32_t osCode;
    bool preinstalled;
  };
  const Case cases[] = {
      {"copied", true, true, 6, false},
      {"refused on 32-bit Vista", false, true, 6, true},
      {"refused on 64-bit Vista", false, true, 9, false},
      {"refused on XP", false, true, 4, false},
      {"refused without difxapi", false, false, 6, false},
  };
  for (const Case& c : cases) {
    FakeDriverSystem system;
    system.copyOemInfSucceeds = c.copies;
    system.difx = c.difx;
    system.osCode = c.osCode;
    CDriverOperations operations(system);
    operations.StageDriverPackage(kInf);
    std::vector<std::wstring> expected = {L"copy oem inf " + kInf};
    if (c.preinstalled) expected.push_back(L"preinstall " + kInf + L" flags 16");
    EXPECT_EQ(system.log, expected) << c.what;
  }
}

TEST(RestartComputer, ForcedPlannedRestartAfterThePrivilege) {
  FakeDriverSystem system;
  CDriverOperations operations(system);
  EXPECT_TRUE(operations.RestartComputer());
  const std::vector<std::wstring> expected = {L"shutdown privilege", L"exit windows 6 2147483649"};
  EXPECT_EQ(system.log, expected);
}

}  // namespace
}  // namespace velkor
