#pragma once
// Ctrl+C as a flow's Stop button for as long as the flow runs: the handler
// finds what it stops through a slot that this scope fills and empties.

#include <windows.h>

#include <atomic>

namespace velkor::ctl {

template <typename Target>
class CtrlCScope {
 public:
  CtrlCScope(std::atomic<Target*>& slot, Target& target, PHANDLER_ROUTINE handler) : slot_(slot), handler_(handler) {
    slot_ = &target;
    ::SetConsoleCtrlHandler(handler_, TRUE);
  }
  ~CtrlCScope() {
    ::SetConsoleCtrlHandler(handler_, FALSE);
    slot_ = nullptr;
  }
  CtrlCScope(const CtrlCScope&) = delete;
  CtrlCScope& operator=(const CtrlCScope&) = delete;

 private:
  std::atomic<Target*>& slot_;
  PHANDLER_ROUTINE handler_;
};

}  // namespace velkor::ctl
