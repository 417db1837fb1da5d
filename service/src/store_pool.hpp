#pragma once
// A pool of catalog connections for the HTTP workers: SQLite connections are not
// shared between threads, so each request borrows one for its duration.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalog_store.hpp"

namespace velkor::service {

class StorePool {
 public:
  explicit StorePool(std::string path) : path_(std::move(path)) {}

  class Lease {
   public:
    Lease(StorePool& pool, std::unique_ptr<CatalogStore> store) : pool_(pool), store_(std::move(store)) {}
    Lease(Lease&&) = default;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
      if (store_) pool_.Return(std::move(store_));
    }
    CatalogStore* operator->() const { return store_.get(); }
    CatalogStore& operator*() const { return *store_; }
    explicit operator bool() const { return store_ != nullptr; }

   private:
    StorePool& pool_;
    std::unique_ptr<CatalogStore> store_;
  };

  // An idle connection, or a new one; an empty lease (with the reason in error)
  // when the catalog cannot be opened.
  Lease Acquire(std::string& error);

 private:
  void Return(std::unique_ptr<CatalogStore> store);

  std::string path_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<CatalogStore>> idle_;
};

}  // namespace velkor::service
