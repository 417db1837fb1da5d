#include "feedback_store.hpp"

#include "catalog_store.hpp"
#include "postgres_feedback_store.hpp"
#include "sqlite_feedback_store.hpp"

namespace velkor::service {

std::string FeedbackTableSql(const char* keyType) {
  return std::string("CREATE TABLE IF NOT EXISTS feedback(\n  id ") + keyType +
         " PRIMARY KEY,\n"
         "  received_at TEXT NOT NULL,\n"
         "  remote TEXT NOT NULL,\n"
         "  osid TEXT NOT NULL,\n"
         "  email TEXT NOT NULL,\n"
         "  problem_type TEXT NOT NULL,\n"
         "  content TEXT NOT NULL,\n"
         "  document TEXT NOT NULL);\n";
}

std::unique_ptr<FeedbackStore> FeedbackStore::Open(const std::string& location, const FeedbackQuota& quota,
                                                   std::string& error) {
  if (IsPostgresLocation(location)) return PostgresFeedbackStore::Open(location, quota, error);
  return SqliteFeedbackStore::Open(location, quota, error);
}

}  // namespace velkor::service
