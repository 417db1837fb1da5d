#pragma once
// Long operations run on a worker thread inside a bracket: BeginOperation
// disables navigation and closing, EndOperation enables them again. The bracket
// is an object, so navigation comes back on every way out of the work: normal
// end, early return or exception.

#include <functional>

namespace velkor {

// What the application state offers a worker.
class OperationHost {
 public:
  virtual void BeginOperation() = 0;
  virtual void EndOperation() = 0;

 protected:
  ~OperationHost() = default;
};

class OperationScope {
 public:
  explicit OperationScope(OperationHost& host) : host_(host) { host_.BeginOperation(); }
  ~OperationScope() { host_.EndOperation(); }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

 private:
  OperationHost& host_;
};

// Runs the work inside the bracket. An exception that escapes the work ends it
// quietly (after EndOperation): a worker has no caller to report to, and the
// user must never be left with a window whose navigation stays disabled.
// Returns false when the work ended by an exception.
inline bool RunBracketed(OperationHost& host, const std::function<void()>& work) noexcept {
  try {
    OperationScope scope(host);
    work();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace velkor
