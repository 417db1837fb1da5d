#pragma once
// The UI dispatcher over a message-only window of the UI thread: Invoke is a
// sent message, Post a queue drained by one posted message. Created on the UI
// thread and owned by the main window; calls that arrive after it is gone are
// dropped (a worker ending while the program closes).

#include <windows.h>

#include <deque>
#include <mutex>
#include <utility>

#include "core/ui_dispatcher.hpp"

namespace velkor {

class WindowDispatcher final : public UiDispatcher {
 public:
  // Creates the dispatcher's window on the calling thread, which becomes the
  // UI thread.
  WindowDispatcher();
  ~WindowDispatcher() override;
  WindowDispatcher(const WindowDispatcher&) = delete;
  WindowDispatcher& operator=(const WindowDispatcher&) = delete;

  bool Ready() const { return window_ != nullptr; }
  bool OnUiThread() const { return GetCurrentThreadId() == uiThread_; }

  void Invoke(const std::function<void()>& call) override;
  void Post(std::uintptr_t key, std::function<void()> call) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Runs what was posted so far (UI thread).
  void Drain();

  DWORD uiThread_;
  HWND window_ = nullptr;
  std::mutex lock_;
  std::deque<std::pair<std::uintptr_t, std::function<void()>>> posted_;
  bool drainPosted_ = false;  // a drain message is on its way
};

}  // namespace velkor
