#pragma once
// A pool of store connections for the HTTP workers: a connection is used by one
// thread at a time, so each request borrows one for its duration. A connection
// that broke (a database that went away) is dropped when it comes back, and the
// next request opens a new one.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velkor::service {

template <typename Store>
class ConnectionPool {
 public:
  using Opener = std::function<std::unique_ptr<Store>(std::string& error)>;
  explicit ConnectionPool(Opener opener) : opener_(std::move(opener)) {}

  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<Store> store) : pool_(pool), store_(std::move(store)) {}
    Lease(Lease&&) = default;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
      if (store_) pool_.Return(std::move(store_));
    }
    Store* operator->() const { return store_.get(); }
    Store& operator*() const { return *store_; }
    explicit operator bool() const { return store_ != nullptr; }

   private:
    ConnectionPool& pool_;
    std::unique_ptr<Store> store_;
  };

  // An idle connection, or a new one; an empty lease (with the reason in error)
  // when the store cannot be opened.
  Lease Acquire(std::string& error) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!idle_.empty()) {
        std::unique_ptr<Store> store = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(store));
      }
    }
    return Lease(*this, opener_(error));
  }

 private:
  void Return(std::unique_ptr<Store> store) {
    if (!store->Usable()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(store));
  }

  Opener opener_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Store>> idle_;
};

}  // namespace velkor::service
