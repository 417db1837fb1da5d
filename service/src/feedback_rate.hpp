#pragma once
// How many feedback reports one client address may send: at most `perHour`
// within any hour, counted by this serving node. A report past it is answered
// 429 and not stored, so that one client cannot fill the feedback quota for
// everybody.

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace velkor::service {

class FeedbackRateLimit {
 public:
  using Clock = std::chrono::steady_clock;
  // perHour 0: no limit. At most maxAddresses are tracked at once; when that
  // many have sent within the hour, reports from further addresses are refused.
  explicit FeedbackRateLimit(int perHour, std::size_t maxAddresses = 100000)
      : perHour_(perHour), maxAddresses_(maxAddresses) {}

  // True when the address may send one more report now (and counts it).
  bool Admit(const std::string& address, Clock::time_point now);

 private:
  void ForgetBefore(Clock::time_point start);

  int perHour_;
  std::size_t maxAddresses_;
  std::mutex lock_;
  std::unordered_map<std::string, std::deque<Clock::time_point>> sent_;
};

}  // namespace velkor::service
