#include "install/started_process_win.hpp"

namespace velkor {

bool ProcessHandle::WaitEnded(std::uint32_t milliseconds) {
  return process_ && ::WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

std::optional<std::uint32_t> ProcessHandle::ExitCode() {
  // STILL_ACTIVE is also a possible exit code, so ask whether it has ended first.
  if (!WaitEnded(0)) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

}  // namespace velkor
