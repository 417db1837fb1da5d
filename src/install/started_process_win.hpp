#pragma once
// A started program held by its process handle.

#include <windows.h>

#include "install/started_process.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class ProcessHandle final : public StartedProcess {
 public:
  explicit ProcessHandle(UniqueKernelHandle process) : process_(std::move(process)) {}
  bool WaitEnded(std::uint32_t milliseconds) override;
  std::optional<std::uint32_t> ExitCode() override;

 private:
  UniqueKernelHandle process_;
};

}  // namespace velkor
