#pragma once
// Feedback reports in the PostgreSQL database the nodes share: a table of their
// own, which imports never touch.

#include <memory>
#include <string>

#include "feedback_store.hpp"
#include "pq_handle.hpp"

namespace velkor::service {

class PostgresFeedbackStore final : public FeedbackStore {
 public:
  static std::unique_ptr<PostgresFeedbackStore> Open(const std::string& url, const FeedbackQuota& quota,
                                                     std::string& error);
  bool Usable() const override { return PQstatus(session_.Raw()) == CONNECTION_OK; }
  FeedbackResult Store(const FeedbackReport& report) override;
  std::vector<FeedbackReport> Reports() override;

 private:
  explicit PostgresFeedbackStore(const FeedbackQuota& quota) : quota_(quota) {}

  PgSession session_;
  FeedbackQuota quota_;
};

}  // namespace velkor::service
