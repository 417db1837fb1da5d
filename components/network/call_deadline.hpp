#pragma once
// The overall allowance of one call to the service. Every single operation
// (connect, send, each wait for answer bytes) has its own time-out, and a
// server that sends one byte every few seconds would keep each of them happy
// forever; so before each operation its time-out is cut to what is left of the
// call, and the call ends once nothing is left.
//
// Times are a millisecond counter that may wrap (GetTickCount): only
// differences are used, which stay right for calls far shorter than its period.

#include <algorithm>
#include <cstdint>

namespace velkor::network {

class CallDeadline {
 public:
  CallDeadline(std::uint32_t startMs, std::uint32_t allowanceMs) : start_(startMs), allowance_(allowanceMs) {}

  // 0 once the allowance is spent.
  std::uint32_t RemainingMs(std::uint32_t nowMs) const {
    const std::uint32_t elapsed = nowMs - start_;
    return elapsed >= allowance_ ? 0 : allowance_ - elapsed;
  }

  // The operation's own time-out, or what is left of the call when that is
  // less; 0 when nothing is left.
  std::uint32_t Cap(std::uint32_t operationMs, std::uint32_t nowMs) const {
    return std::min(operationMs, RemainingMs(nowMs));
  }

 private:
  std::uint32_t start_;
  std::uint32_t allowance_;
};

}  // namespace velkor::network
