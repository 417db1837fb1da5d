#pragma once
// Keeps a serving node's offer index current: builds it from the catalog when
// the node starts, then follows the published generations (told by PostgreSQL,
// looked up in SQLite every lookInterval) and builds each new one on a thread of
// its own. The new index replaces the old one at once; requests in flight keep
// theirs until they finish. A build that fails leaves the current index serving
// and is tried again at the next look.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "offer_index.hpp"

namespace velkor::service {

class CatalogFollower {
 public:
  using Log = std::function<void(const std::string& line)>;
  CatalogFollower(std::string location, Log log, int lookIntervalMs = 500);
  ~CatalogFollower();
  CatalogFollower(const CatalogFollower&) = delete;
  CatalogFollower& operator=(const CatalogFollower&) = delete;

  // Builds the first index; false with the reason when the catalog cannot be
  // read. Then follows until Stop.
  bool Start(std::string& error);
  void Stop();

  std::shared_ptr<OfferIndex> Current() const;

 private:
  void Follow();
  bool Rebuild(CatalogStore& store, std::string& error);

  const std::string location_;
  const Log log_;
  const int lookIntervalMs_;
  mutable std::mutex mutex_;
  std::shared_ptr<OfferIndex> current_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

// The log line of a new index: generation, counts, memory and build time.
std::string DescribeIndex(const OfferIndexStats& stats);

}  // namespace velkor::service
