#pragma once
// A program this process started and may wait for. The owner closes what it
// holds of the process when it is destroyed; the program itself runs on.

#include <cstdint>
#include <optional>

namespace velkor {

class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // True when the program has ended, waiting at most this long for it.
  virtual bool WaitEnded(std::uint32_t milliseconds) = 0;
  // The program's exit code once it has ended; nothing while it runs or when
  // the system cannot tell.
  virtual std::optional<std::uint32_t> ExitCode() = 0;
};

}  // namespace velkor
