#include "core/window_dispatcher.hpp"

#include <exception>

namespace velkor {
namespace {

constexpr wchar_t kWindowClass[] = L"VelkorUiDispatcher";
constexpr UINT kMsgInvoke = WM_APP + 1;  // lParam: the Invocation
constexpr UINT kMsgDrain = WM_APP + 2;

struct Invocation {
  const std::function<void()>* call;
  std::exception_ptr failure;
};

ATOM RegisterDispatcherClass(WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc);
}

}  // namespace

WindowDispatcher::WindowDispatcher() : uiThread_(GetCurrentThreadId()) {
  static const ATOM registered = RegisterDispatcherClass(WindowProc);
  if (registered == 0) return;
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (window_ != nullptr) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WindowDispatcher::~WindowDispatcher() {
  HWND window = nullptr;
  {
    const std::lock_guard<std::mutex> lock(lock_);
    window = std::exchange(window_, nullptr);
    posted_.clear();
  }
  if (window != nullptr) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
}

void WindowDispatcher::Invoke(const std::function<void()>& call) {
  if (OnUiThread()) {
    Drain();
    call();
    return;
  }
  HWND window = nullptr;
  {
    const std::lock_guard<std::mutex> lock(lock_);
    window = window_;
  }
  if (window == nullptr) return;
  Invocation invocation{&call, nullptr};
  SendMessageW(window, kMsgInvoke, 0, reinterpret_cast<LPARAM>(&invocation));
  if (invocation.failure) std::rethrow_exception(invocation.failure);
}

void WindowDispatcher::Post(std::uintptr_t key, std::function<void()> call) {
  HWND window = nullptr;
  {
    const std::lock_guard<std::mutex> lock(lock_);
    if (window_ == nullptr) return;
    bool replaced = false;
    if (key != 0) {
      for (auto& entry : posted_) {
        if (entry.first == key) {
          entry.second = std::move(call);
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) posted_.emplace_back(key, std::move(call));
    if (!drainPosted_) {
      drainPosted_ = true;
      window = window_;
    }
  }
  if (window != nullptr && !PostMessageW(window, kMsgDrain, 0, 0)) {
    // The queue is full: the next post tries again.
    const std::lock_guard<std::mutex> lock(lock_);
    drainPosted_ = false;
  }
}

void WindowDispatcher::Drain() {
  std::deque<std::pair<std::uintptr_t, std::function<void()>>> due;
  {
    const std::lock_guard<std::mutex> lock(lock_);
    due.swap(posted_);
    drainPosted_ = false;
  }
  for (auto& entry : due) {
    try {
      entry.second();
    } catch (...) {
      // A report that cannot be shown is dropped; the worker goes on.
    }
  }
}

LRESULT CALLBACK WindowDispatcher::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<WindowDispatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == kMsgInvoke) {
    auto* invocation = reinterpret_cast<Invocation*>(lparam);
    self->Drain();
    try {
      (*invocation->call)();
    } catch (...) {
      invocation->failure = std::current_exception();
    }
    return 0;
  }
  if (self != nullptr && message == kMsgDrain) {
    self->Drain();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace velkor
