#include "postgres_feedback_store.hpp"

#include "postgres_catalog_store.hpp"

namespace velkor::service {

std::unique_ptr<PostgresFeedbackStore> PostgresFeedbackStore::Open(const std::string& url,
                                                                   const FeedbackQuota& quota,
                                                                   std::string& error) {
  std::unique_ptr<PostgresFeedbackStore> store(new PostgresFeedbackStore(quota));
  PgSession& s = store->session_;
  if (!s.Connect(url, error) || !CreatePostgresTables(s, FeedbackTableSql("BIGSERIAL").c_str(), error)) {
    return nullptr;
  }
  // The quota is checked in the statement that stores the report: nodes storing
  // at the same moment may each pass it by at most their one report.
  if (!s.Prepare("store_feedback",
                 "INSERT INTO feedback(received_at, remote, osid, email, problem_type, content, document)"
                 " SELECT $1, $2, $3, $4, $5, $6, $7 WHERE $8::bigint = 0 OR"
                 " (SELECT COALESCE(SUM(octet_length(document)), 0) FROM feedback) + octet_length($7) <= $8::bigint"
                 " RETURNING id",
                 error) ||
      !s.Prepare("list_feedback",
                 "SELECT received_at, remote, osid, email, problem_type, content, document FROM feedback"
                 " ORDER BY id",
                 error)) {
    return nullptr;
  }
  return store;
}

FeedbackResult PostgresFeedbackStore::Store(const FeedbackReport& r) {
  PgResult result = session_.Run("store_feedback", {r.receivedAt, r.remote, r.osid, r.email, r.problemType,
                                                    StoredContentColumn(r), r.document, std::to_string(quota_.maxStoredBytes)});
  if (!result) return FeedbackResult::kFailed;
  return PQntuples(result.get()) == 1 ? FeedbackResult::kStored : FeedbackResult::kOverQuota;
}

std::vector<FeedbackReport> PostgresFeedbackStore::Reports() {
  std::vector<FeedbackReport> reports;
  PgResult r = session_.Run("list_feedback", {});
  for (int i = 0; r && i < PQntuples(r.get()); ++i) {
    reports.push_back(FeedbackReport{std::string(PgText(r.get(), i, 0)), std::string(PgText(r.get(), i, 1)),
                                     std::string(PgText(r.get(), i, 2)), std::string(PgText(r.get(), i, 3)),
                                     std::string(PgText(r.get(), i, 4)), std::string(PgText(r.get(), i, 5)),
                                     std::string(PgText(r.get(), i, 6))});
    RestoreFeedbackContent(reports.back());
  }
  return reports;
}

}  // namespace velkor::service
