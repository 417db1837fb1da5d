#include "feedback_rate.hpp"

namespace velkor::service {
namespace {
constexpr std::chrono::hours kWindow{1};
}

void FeedbackRateLimit::ForgetBefore(Clock::time_point start) {
  for (auto it = sent_.begin(); it != sent_.end();) {
    while (!it->second.empty() && it->second.front() <= start) it->second.pop_front();
    it = it->second.empty() ? sent_.erase(it) : std::next(it);
  }
}

bool FeedbackRateLimit::Admit(const std::string& address, Clock::time_point now) {
  if (perHour_ <= 0) return true;
  const std::lock_guard<std::mutex> lock(lock_);
  auto found = sent_.find(address);
  if (found == sent_.end()) {
    if (sent_.size() >= maxAddresses_) ForgetBefore(now - kWindow);
    if (sent_.size() >= maxAddresses_) return false;
    found = sent_.emplace(address, std::deque<Clock::time_point>()).first;
  }
  std::deque<Clock::time_point>& times = found->second;
  while (!times.empty() && times.front() <= now - kWindow) times.pop_front();
  if (times.size() >= static_cast<std::size_t>(perHour_)) return false;
  times.push_back(now);
  return true;
}

}  // namespace velkor::service
