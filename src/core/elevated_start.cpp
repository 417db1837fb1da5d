#include "core/elevated_start.hpp"

#include <windows.h>
#include <shellapi.h>

#include "base/path.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

bool StartElevated(const RelaunchCommand& command, unsigned& exitCode) {
  const std::wstring file = QuotedPath(command.program);

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error box from the shell: when the start fails the flow simply goes on
  // with the rights it has, as it does when the user declines.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (command.waitForExit ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = command.parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return false;
  exitCode = 0;
  if (command.waitForExit && info.hProcess != nullptr) {
    const UniqueKernelHandle process(info.hProcess);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process.get(), &code)) exitCode = code;
  }
  return true;
}

}  // namespace velkor
