#pragma once
// The one way from a worker to the window: a flow's window view hands each of
// its calls to the UI dispatcher, which runs it on the UI thread.
//
//   Invoke: runs the call on the UI thread and returns when it has run. For
//           what the worker must wait for: message boxes, questions, page
//           switches, and control updates whose order the flow fixes.
//   Post:   queues the call and returns at once. For progress that the next
//           report overwrites: a later post with the same key replaces one
//           that has not run yet, so a fast worker never floods the window.
//
// Posted calls run in the order they were posted (a replaced one keeps its
// place), and always before a later Invoke of the same worker, so the window
// never shows an older report after a newer one.

#include <cstdint>
#include <functional>

namespace velkor {

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Called on the UI thread, the call runs at once. An exception thrown by the
  // call is rethrown to the caller.
  virtual void Invoke(const std::function<void()>& call) = 0;
  // key 0: never replaced.
  virtual void Post(std::uintptr_t key, std::function<void()> call) = 0;

  template <typename Result>
  Result InvokeFor(const std::function<Result()>& call) {
    Result result{};
    Invoke([&] { result = call(); });
    return result;
  }
};

}  // namespace velkor
