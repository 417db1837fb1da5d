#pragma once
// Feedback reports in an SQLite file: its table "feedback" (beside the catalog's
// tables when the file is the catalog's).

#include <memory>
#include <string>

#include "feedback_store.hpp"
#include "sqlite_handle.hpp"

namespace velkor::service {

class SqliteFeedbackStore final : public FeedbackStore {
 public:
  static std::unique_ptr<SqliteFeedbackStore> Open(const std::string& path, const FeedbackQuota& quota,
                                                   std::string& error);
  FeedbackResult Store(const FeedbackReport& report) override;
  std::vector<FeedbackReport> Reports() override;

 private:
  SqliteFeedbackStore(SqliteConnection db, const FeedbackQuota& quota) : db_(std::move(db)), quota_(quota) {}

  SqliteConnection db_;
  FeedbackQuota quota_;
  Statement insert_, list_, storedBytes_;
};

}  // namespace velkor::service
