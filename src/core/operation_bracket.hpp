#pragma once
// Long operations run inside a bracket: BeginOperation disables navigation and
// closing, EndOperation enables them again. The bracket is an object, so
// navigation comes back on every way out of the work: normal end, early return
// or exception. The flow host takes it for every worker; nothing else does.

#include <utility>

namespace velkor {

// What the application state offers a worker.
class OperationHost {
 public:
  virtual void BeginOperation() = 0;
  virtual void EndOperation() = 0;

 protected:
  ~OperationHost() = default;
};

// One taken bracket. Move-only: an operation that goes on beyond the worker
// that began it (its successor ends it) is handed over by moving the scope.
class OperationScope {
 public:
  explicit OperationScope(OperationHost& host) : host_(&host) { host_->BeginOperation(); }
  ~OperationScope() { End(); }
  OperationScope(OperationScope&& other) noexcept : host_(std::exchange(other.host_, nullptr)) {}
  OperationScope& operator=(OperationScope&& other) noexcept {
    if (this != &other) {
      End();
      host_ = std::exchange(other.host_, nullptr);
    }
    return *this;
  }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

  // Ends the operation now (at most once).
  void End() noexcept {
    if (host_ == nullptr) return;
    OperationHost* host = std::exchange(host_, nullptr);
    try {
      host->EndOperation();
    } catch (...) {
      // Nobody to report to: the operation is over either way.
    }
  }
  // The operation is never ended by this scope: the process is being replaced.
  void Abandon() noexcept { host_ = nullptr; }
  bool Active() const noexcept { return host_ != nullptr; }

 private:
  OperationHost* host_;
};

}  // namespace velkor
