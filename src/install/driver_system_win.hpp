#pragma once
// DriverSystem over Windows: the redirection switch of the engine object,
// newdev's plug-and-play install, the shell, SetupAPI, difxapi and the restart.

#include <windows.h>

#include "install/driver_operations.hpp"
#include "install/plug_and_play_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class CDriverScannerApp;

class WinDriverSystem final : public DriverSystem {
 public:
  // Loads difxapi.dll (m_hDifx; absent on most systems, then null) and newdev.
  explicit WinDriverSystem(const CDriverScannerApp& engine);

  RedirectionState DisableRedirection() override;
  void RevertRedirection(const RedirectionState& state) override;
  void SleepMilliseconds(std::uint32_t milliseconds) override;
  bool UpdateDriverForPlugAndPlayDevices(const std::wstring& hardwareId, const std::wstring& infPath,
                                         std::uint32_t flags, bool& restartNeeded) override;
  int WindowsMajorVersion() override;
  bool FileExists(const std::wstring& path) override;
  std::unique_ptr<StartedProcess> ShellExecuteHidden(const wchar_t* verb, const std::wstring& file,
                                                     const std::wstring& parameters) override;
  bool SetupCopyOemInf(const std::wstring& infPath) override;
  bool HasDifx() override { return static_cast<bool>(m_hDifx); }
  void DriverPackagePreinstall(const std::wstring& infPath, std::uint32_t flags) override;
  std::int32_t OsVersionCode() override;
  void EnableShutdownPrivilege() override;
  bool CallExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

 private:
  using PreinstallFn = DWORD(WINAPI*)(PCWSTR, DWORD);

  const CDriverScannerApp& engine_;
  UniqueModule m_hDifx;
  PreinstallFn preinstall_ = nullptr;
  PlugAndPlayInstaller plugAndPlay_;
};

// The driver operations of this process over the system, made on first use
// (the window program's start-up makes them).
CDriverOperations& TheDriverOperations();

}  // namespace velkor
