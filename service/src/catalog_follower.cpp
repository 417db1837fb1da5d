#include "catalog_follower.hpp"

#include <chrono>
#include <cstdio>

namespace velkor::service {

std::string DescribeIndex(const OfferIndexStats& s) {
  char text[256];
  std::snprintf(text, sizeof text,
                "index of generation %lld: %zu packages, %zu drivers, %zu IDs (%zu distinct), %.1f MiB"
                " (%.0f bytes per ID), built in %.2f s",
                static_cast<long long>(s.generation), s.packages, s.drivers, s.ids, s.distinctIds,
                static_cast<double>(s.bytes) / (1024.0 * 1024.0),
                s.ids ? static_cast<double>(s.bytes) / static_cast<double>(s.ids) : 0.0, s.buildSeconds);
  return text;
}

CatalogFollower::CatalogFollower(std::string location, Log log, int lookIntervalMs)
    : location_(std::move(location)), log_(std::move(log)), lookIntervalMs_(lookIntervalMs) {}

CatalogFollower::~CatalogFollower() { Stop(); }

bool CatalogFollower::Start(std::string& error) {
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(location_, error);
  if (!store || !Rebuild(*store, error)) return false;
  thread_ = std::thread([this] { Follow(); });
  return true;
}

void CatalogFollower::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::shared_ptr<OfferIndex> CatalogFollower::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_;
}

bool CatalogFollower::Rebuild(CatalogStore& store, std::string& error) {
  std::shared_ptr<OfferIndex> index = OfferIndex::Build(store, error);
  if (!index) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = index;
  }
  log_(DescribeIndex(index->Stats()));
  return true;
}

void CatalogFollower::Follow() {
  std::unique_ptr<CatalogStore> store;
  std::int64_t known = Current()->Stats().generation;
  std::string lastError;
  bool pending = false;  // a generation whose build failed: looked at again
  for (;;) {
    bool look = true;
    if (store && store->ListenForGenerations()) {
      // Told: the wait ends at a publication, or after a while to see Stop.
      look = store->WaitForGeneration(lookIntervalMs_);
    } else {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(lookIntervalMs_), [this] { return stopping_; });
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    if (!look && !pending && store) continue;
    std::string error;
    if (!store) {
      store = CatalogStore::Open(location_, error);
      if (!store) {
        if (error != lastError) log_("cannot open the catalog, still serving generation " +
                                     std::to_string(known) + ": " + error);
        lastError = error;
        continue;
      }
      // A listening connection is told only of what comes after it listens.
      store->ListenForGenerations();
    }
    const std::optional<std::int64_t> generation = store->Generation();
    if (!generation) {
      store.reset();  // broken: open anew at the next look
      continue;
    }
    if (*generation == known) continue;
    pending = !Rebuild(*store, error);
    if (!pending) {
      known = Current()->Stats().generation;
      lastError.clear();
    } else if (error != lastError) {
      log_("cannot build the index of generation " + std::to_string(*generation) + ", still serving " +
           std::to_string(known) + ": " + error);
      lastError = error;
    }
  }
}

}  // namespace velkor::service
