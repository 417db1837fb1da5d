#pragma once
// Where the users' feedback reports are kept: apart from the catalog's tables
// (an import never touches them), in the SQLite file given for them or in a
// table of the PostgreSQL database the nodes share. A store refuses reports
// past its quota instead of growing without end.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velkor::service {

struct FeedbackReport {
  std::string receivedAt;  // UTC, ISO 8601
  std::string remote;
  std::string osid;
  std::string email;
  std::string problemType;
  std::string content;
  std::string document;
};

// Limits on what the store takes; 0 leaves a limit off.
struct FeedbackQuota {
  std::int64_t maxStoredBytes = 0;  // the documents kept, all together
};

enum class FeedbackResult { kStored, kOverQuota, kFailed };

// The feedback document: NewDataSet with osid and Feedback (email,
// problemtype, content), element names in any letter case, as the client's
// own reader does. Fills the report's fields and its document.
bool ReadFeedbackDocument(const std::string& body, FeedbackReport& report);

// What the stores write into the content column (nothing: the document holds
// it), and the content put back from the document when a report is read.
std::string StoredContentColumn(const FeedbackReport& report);
void RestoreFeedbackContent(FeedbackReport& stored);

// The feedback table, the same in every store but for its key column's type.
std::string FeedbackTableSql(const char* keyType);

// Where reports go when no location is given: an SQLite catalog's own file
// beside it ("catalog.db" -> "catalog.feedback.db"), so that the catalog file
// holds the catalog only; a PostgreSQL catalog's database (its own table).
std::string DefaultFeedbackLocation(const std::string& catalogLocation);

class FeedbackStore {
 public:
  // The same locations as CatalogStore::Open.
  static std::unique_ptr<FeedbackStore> Open(const std::string& location, const FeedbackQuota& quota,
                                             std::string& error);
  virtual ~FeedbackStore() = default;
  // False once the connection broke; a pool then drops it.
  virtual bool Usable() const { return true; }
  virtual FeedbackResult Store(const FeedbackReport& report) = 0;
  // Every report, oldest first.
  virtual std::vector<FeedbackReport> Reports() = 0;
};

}  // namespace velkor::service
