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

// The feedback table, the same in every store but for its key column's type.
std::string FeedbackTableSql(const char* keyType);

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
