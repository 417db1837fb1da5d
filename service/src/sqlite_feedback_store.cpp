#include "sqlite_feedback_store.hpp"

#include "sqlite_catalog_store.hpp"

namespace velkor::service {

std::unique_ptr<SqliteFeedbackStore> SqliteFeedbackStore::Open(const std::string& path,
                                                               const FeedbackQuota& quota,
                                                               std::string& error) {
  SqliteConnection db = OpenServiceDatabase(path, error);
  if (!db || !ExecuteSql(db.get(), FeedbackTableSql("INTEGER").c_str(), &error)) return nullptr;
  std::unique_ptr<SqliteFeedbackStore> store(new SqliteFeedbackStore(std::move(db), quota));
  sqlite3* raw = store->db_.get();
  store->insert_ = Statement(raw,
                             "INSERT INTO feedback(received_at, remote, osid, email, problem_type, content,"
                             " document) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  store->list_ = Statement(raw,
                           "SELECT received_at, remote, osid, email, problem_type, content, document"
                           " FROM feedback ORDER BY id");
  store->storedBytes_ = Statement(raw, "SELECT COALESCE(SUM(LENGTH(CAST(document AS BLOB))), 0) FROM feedback");
  if (!store->insert_.Ok() || !store->list_.Ok() || !store->storedBytes_.Ok()) {
    error = sqlite3_errmsg(raw);
    return nullptr;
  }
  return store;
}

FeedbackResult SqliteFeedbackStore::Store(const FeedbackReport& report) {
  if (quota_.maxStoredBytes > 0) {
    storedBytes_.Reset();
    const std::int64_t stored = storedBytes_.Step() == SQLITE_ROW ? storedBytes_.Int(0) : 0;
    storedBytes_.Reset();
    if (stored + static_cast<std::int64_t>(report.document.size()) > quota_.maxStoredBytes) {
      return FeedbackResult::kOverQuota;
    }
  }
  insert_.Reset();
  insert_.Bind(1, report.receivedAt);
  insert_.Bind(2, report.remote);
  insert_.Bind(3, report.osid);
  insert_.Bind(4, report.email);
  insert_.Bind(5, report.problemType);
  insert_.Bind(6, StoredContentColumn(report));
  insert_.Bind(7, report.document);
  return insert_.Run() ? FeedbackResult::kStored : FeedbackResult::kFailed;
}

std::vector<FeedbackReport> SqliteFeedbackStore::Reports() {
  std::vector<FeedbackReport> reports;
  list_.Reset();
  while (list_.Step() == SQLITE_ROW) {
    reports.push_back(FeedbackReport{list_.Text(0), list_.Text(1), list_.Text(2), list_.Text(3),
                                     list_.Text(4), list_.Text(5), list_.Text(6)});
    RestoreFeedbackContent(reports.back());
  }
  list_.Reset();
  return reports;
}

}  // namespace velkor::service
