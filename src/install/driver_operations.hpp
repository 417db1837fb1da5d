#pragma once
// The operations that touch the system's driver installation: installing an INF
// for a hardware ID through plug and play (with the update tool as the elevated
// fallback), staging a driver package in the driver store, and restarting the
// computer. They run on worker threads and show nothing.
//
// The rules live here; what they need from Windows goes through DriverSystem,
// whose Win32 implementation is in driver_system_win.*, so that tests can run
// the rules against a fake.

#include <cstdint>
#include <memory>
#include <string>

#include "install/started_process.hpp"

namespace velkor {

struct InfInstallResult {
  bool installed = false;
  bool restartNeeded = false;  // Windows asked for a restart to finish the installation
};

// The saved state of the file-system redirection switch (see CDriverScannerApp).
struct RedirectionState {
  bool switched = false;  // false: nothing was switched (not WOW64, or it failed)
  void* oldValue = nullptr;
};

class DriverSystem {
 public:
  virtual ~DriverSystem() = default;
  // WOW64 file-system redirection for the calling thread.
  virtual RedirectionState DisableRedirection() = 0;
  virtual void RevertRedirection(const RedirectionState& state) = 0;
  virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
  // UpdateDriverForPlugAndPlayDevicesW with no owner window.
  virtual bool UpdateDriverForPlugAndPlayDevices(const std::wstring& hardwareId, const std::wstring& infPath,
                                                 std::uint32_t flags, bool& restartNeeded) = 0;
  virtual int WindowsMajorVersion() = 0;
  // PathFileExistsW.
  virtual bool FileExists(const std::wstring& path) = 0;
  // ShellExecuteExW with no owner, no folder and a hidden window, keeping the
  // started process; nothing when no process was started (a missing file, or
  // elevation refused at the prompt).
  virtual std::unique_ptr<StartedProcess> ShellExecuteHidden(const wchar_t* verb, const std::wstring& file,
                                                             const std::wstring& parameters) = 0;
  // SetupCopyOEMInfW with SPOST_PATH and SP_COPY_NOOVERWRITE.
  virtual bool SetupCopyOemInf(const std::wstring& infPath) = 0;
  // Whether difxapi.dll was loaded at start-up (m_hDifx).
  virtual bool HasDifx() = 0;
  virtual void DriverPackagePreinstall(const std::wstring& infPath, std::uint32_t flags) = 0;
  // GetOSVersionCode.
  virtual std::int32_t OsVersionCode() = 0;
  // Enables SeShutdownPrivilege in the process token; failures are ignored.
  virtual void EnableShutdownPrivilege() = 0;
  virtual bool CallExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

// Flags and values the rules pass to the system.
inline constexpr std::uint32_t kPlugAndPlayNoForce = 0;
inline constexpr std::uint32_t kInfInstallDelayMs = 1000;
inline constexpr std::uint32_t kUpdateToolDelayMs = 10;
inline constexpr std::uint32_t kUpdateToolWaitMs = 30 * 60 * 1000;
inline constexpr std::uint32_t kDriverPackageLegacyMode = 16;  // DRIVER_PACKAGE_LEGACY_MODE
inline constexpr std::int32_t kOsCodeVistaX86 = 6;
inline constexpr std::uint32_t kRebootForced = 6;              // EWX_REBOOT | EWX_FORCE
inline constexpr std::uint32_t kReasonPlannedMaintenance = 0x80000001;

class CDriverOperations {
 public:
  // Builds the update tool's file name (start-up happens once per process).
  explicit CDriverOperations(DriverSystem& system);
  CDriverOperations(const CDriverOperations&) = delete;
  CDriverOperations& operator=(const CDriverOperations&) = delete;

  // Redirection off, a pause of a second, the plug-and-play install without
  // forcing; when Windows refused and a support folder is known, the update tool
  // from that folder installs it instead. Redirection is back on afterwards.
  InfInstallResult InstallInfForDevice(const std::wstring& hardwareId, const std::wstring& infPath,
                                       const std::wstring& supportFolder);

  // Starts the update tool of the support folder for the INF and the hardware ID
  // ("runas" from Windows 6 on) and waits up to 30 minutes for it. True when it
  // ended within that time and reported the driver installed; restartNeeded (if
  // given) is set when it reported that Windows asked for a restart. A value
  // that cannot be passed safely, a missing tool, a refused elevation, a tool
  // still running after 30 minutes or one that refused give false.
  bool RunUpdateHelper(const std::wstring& hardwareId, const std::wstring& infPath,
                       const std::wstring& supportFolder, bool* restartNeeded = nullptr);

  // Copies the INF package into the driver store; where that fails on 32-bit
  // Vista, the driver-install library preinstalls it in legacy mode. The caller
  // switches redirection off around it.
  void StageDriverPackage(const std::wstring& infPath);

  // Enables the shutdown privilege and restarts the computer at once (forced,
  // planned maintenance). The result of the system's call.
  bool RestartComputer();

  // The update tool's file name, built at start-up.
  const std::wstring& UpdateToolName() const { return m_strUpdateToolName; }

 private:
  DriverSystem& system_;
  std::wstring m_strUpdateToolName;
};

}  // namespace velkor
