#include "feedback_store.hpp"

#include "catalog_store.hpp"
#include "postgres_feedback_store.hpp"
#include "sqlite_feedback_store.hpp"

namespace velkor::service {

std::unique_ptr<FeedbackStore> FeedbackStore::Open(const std::string& location, const FeedbackQuota& quota,
                                                   std::string& error) {
  if (IsPostgresLocation(location)) return PostgresFeedbackStore::Open(location, quota, error);
  return SqliteFeedbackStore::Open(location, quota, error);
}

}  // namespace velkor::service
