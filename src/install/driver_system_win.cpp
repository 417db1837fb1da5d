#include "install/driver_system_win.hpp"

#include <setupapi.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "install/started_process_win.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor {

WinDriverSystem::WinDriverSystem(const CDriverScannerApp& engine)
    : engine_(engine), m_hDifx(LoadProgramOrSystemLibrary(L"difxapi.dll")),
      preinstall_(LibraryFunction<PreinstallFn>(m_hDifx, "DriverPackagePreinstallW")) {}

RedirectionState WinDriverSystem::DisableRedirection() {
  RedirectionState state;
  state.switched = engine_.DisableRedirection(&state.oldValue);
  return state;
}

void WinDriverSystem::RevertRedirection(const RedirectionState& state) {
  if (state.switched) engine_.RevertRedirection(state.oldValue);
}

void WinDriverSystem::SleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool WinDriverSystem::UpdateDriverForPlugAndPlayDevices(const std::wstring& hardwareId, const std::wstring& infPath,
                                                        std::uint32_t flags, bool& restartNeeded) {
  DWORD error = 0;
  return plugAndPlay_.Update(hardwareId, infPath, flags, restartNeeded, error);
}

int WinDriverSystem::WindowsMajorVersion() { return static_cast<int>(GetOSVersionCode().major); }

bool WinDriverSystem::FileExists(const std::wstring& path) { return ::PathFileExistsW(path.c_str()) != FALSE; }

std::unique_ptr<StartedProcess> WinDriverSystem::ShellExecuteHidden(const wchar_t* verb, const std::wstring& file,
                                                                    const std::wstring& parameters) {
  SHELLEXECUTEINFOW info = {};
  // The structure's own size: a fixed 60 is its 32-bit size, which the 64-bit
  // shell refuses.
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
  info.hwnd = nullptr;
  info.lpVerb = verb;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = nullptr;
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info) || info.hProcess == nullptr) return nullptr;
  return std::make_unique<ProcessHandle>(UniqueKernelHandle(info.hProcess));
}

bool WinDriverSystem::SetupCopyOemInf(const std::wstring& infPath) {
  wchar_t destination[MAX_PATH] = {};
  DWORD required = 0;
  PWSTR filePart = nullptr;
  return ::SetupCopyOEMInfW(infPath.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, destination, MAX_PATH,
                            &required, &filePart) != FALSE;
}

void WinDriverSystem::DriverPackagePreinstall(const std::wstring& infPath, std::uint32_t flags) {
  if (preinstall_ != nullptr) preinstall_(infPath.c_str(), flags);
}

std::int32_t WinDriverSystem::OsVersionCode() { return GetOSVersionCode().code; }

void WinDriverSystem::EnableShutdownPrivilege() {
  HANDLE rawToken = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return;
  UniqueKernelHandle token(rawToken);
  TOKEN_PRIVILEGES privileges = {};
  if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

bool WinDriverSystem::CallExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  return ::ExitWindowsEx(flags, reason) != FALSE;
}

CDriverOperations& TheDriverOperations() {
  static WinDriverSystem system(TheDriverScannerApp());
  static CDriverOperations operations(system);
  return operations;
}

}  // namespace velkor
