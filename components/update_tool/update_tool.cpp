// The update tool: installs one INF for one hardware ID with administrator
// rights, forcing the installation. The program starts it when the plain
// plug-and-play install was refused, and the restore starts it to put back a
// saved driver that is older than the one installed, which Windows never
// installs unless forced.
//
//   <tool> update "C:\path\driver.inf" "PCI\VEN_10EC&DEV_8168"
//
// It shows nothing and writes nothing but what the installation writes. Exit
// codes: see install/update_tool_protocol.hpp.

#include <windows.h>
#include <newdev.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "install/plug_and_play_win.hpp"
#include "install/update_tool_protocol.hpp"

namespace velkor {
namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* words) const { ::LocalFree(words); }
};

std::vector<std::wstring> CommandLineWords() {
  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreeDeleter> words(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::wstring> out;
  if (!words) return out;
  for (int i = 0; i < count; ++i) out.emplace_back(words.get()[i]);
  return out;
}

// The file exists, is no folder, and its drive is not a network drive.
bool IsLocalInfFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  const std::wstring root = path.substr(0, 3);  // "C:\", the form the argument check allows
  return ::GetDriveTypeW(root.c_str()) != DRIVE_REMOTE;
}

std::uint32_t Run() {
  const std::optional<UpdateToolRequest> request = ParseUpdateToolArguments(CommandLineWords());
  if (!request || !IsLocalInfFile(request->infPath)) return kToolBadArguments;
  const PlugAndPlayInstaller installer;
  bool restartNeeded = false;
  DWORD error = 0;
  if (!installer.Update(request->hardwareId, request->infPath, INSTALLFLAG_FORCE, restartNeeded, error)) {
    return kToolRefused;
  }
  return restartNeeded ? kToolInstalledRestartNeeded : kToolInstalled;
}

}  // namespace
}  // namespace velkor

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // No box of the system's own for a missing disk or a failed load.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  return static_cast<int>(velkor::Run());
}
