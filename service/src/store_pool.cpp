#include "store_pool.hpp"

namespace velkor::service {

StorePool::Lease StorePool::Acquire(std::string& error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!idle_.empty()) {
      std::unique_ptr<CatalogStore> store = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(store));
    }
  }
  return Lease(*this, CatalogStore::Open(path_, error));
}

void StorePool::Return(std::unique_ptr<CatalogStore> store) {
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(std::move(store));
}

}  // namespace velkor::service
