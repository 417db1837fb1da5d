#include "install/driver_operations.hpp"

#include "install/command_lines.hpp"
#include "install/update_tool_protocol.hpp"

namespace velkor {
namespace {

// Redirection off for the calling thread until the end of the scope, so that an
// INF below the system folder is the 64-bit system's own file.
class RedirectionOff {
 public:
  explicit RedirectionOff(DriverSystem& system) : system_(system), state_(system.DisableRedirection()) {}
  ~RedirectionOff() { system_.RevertRedirection(state_); }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  DriverSystem& system_;
  RedirectionState state_;
};

}  // namespace

CDriverOperations::CDriverOperations(DriverSystem& system)
    : system_(system), m_strUpdateToolName(BuildUpdateToolFileName()) {}

InfInstallResult CDriverOperations::InstallInfForDevice(const std::wstring& hardwareId,
                                                        const std::wstring& infPath,
                                                        const std::wstring& supportFolder) {
  RedirectionOff redirection(system_);
  system_.SleepMilliseconds(kInfInstallDelayMs);
  InfInstallResult result;
  result.installed =
      system_.UpdateDriverForPlugAndPlayDevices(hardwareId, infPath, kPlugAndPlayNoForce, result.restartNeeded);
  if (!result.installed && !supportFolder.empty()) {
    bool toolRestart = false;
    result.installed = RunUpdateHelper(hardwareId, infPath, supportFolder, &toolRestart);
    result.restartNeeded = result.restartNeeded || toolRestart;
  }
  return result;
}

bool CDriverOperations::RunUpdateHelper(const std::wstring& hardwareId, const std::wstring& infPath,
                                        const std::wstring& supportFolder, bool* restartNeeded) {
  if (restartNeeded != nullptr) *restartNeeded = false;
  const std::optional<std::wstring> parameters = UpdateToolParameters(infPath, hardwareId);
  if (!parameters) return false;
  const std::wstring tool = UpdateToolPath(supportFolder, m_strUpdateToolName);
  const wchar_t* verb = UpdateToolVerb(system_.WindowsMajorVersion());

  system_.SleepMilliseconds(kUpdateToolDelayMs);
  if (!system_.FileExists(tool)) return false;
  std::unique_ptr<StartedProcess> process = system_.ShellExecuteHidden(verb, tool, *parameters);
  if (!process || !process->WaitEnded(kUpdateToolWaitMs)) return false;

  const std::optional<std::uint32_t> code = process->ExitCode();
  if (!code || (*code != kToolInstalled && *code != kToolInstalledRestartNeeded)) return false;
  if (restartNeeded != nullptr) *restartNeeded = *code == kToolInstalledRestartNeeded;
  return true;
}

void CDriverOperations::StageDriverPackage(const std::wstring& infPath) {
  if (system_.SetupCopyOemInf(infPath)) return;
  if (system_.HasDifx() && system_.OsVersionCode() == kOsCodeVistaX86) {
    system_.DriverPackagePreinstall(infPath, kDriverPackageLegacyMode);
  }
}

bool CDriverOperations::RestartComputer() {
  system_.EnableShutdownPrivilege();
  return system_.CallExitWindowsEx(kRebootForced, kReasonPlannedMaintenance);
}

}  // namespace velkor
