#include "progress_window_win.hpp"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "platform/unique_handle.hpp"

namespace velkor::update {
namespace {

constexpr wchar_t kClassName[] = L"VelkorUpdateProgress";
constexpr UINT kMsgProgress = WM_APP + 1;
constexpr int kIdText = 100;
constexpr int kIdBar = 101;
constexpr int kWidth = 380;
constexpr int kHeight = 150;

struct WindowState {
  const ProgressWork* work = nullptr;
  bool cancelled = false;
};

void CancelOnce(HWND window, WindowState& state) {
  if (state.cancelled) return;
  state.cancelled = true;
  EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
  SetDlgItemTextW(window, kIdText, L"Cancelling the download...");
  if (state.work->cancel) state.work->cancel();
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL && state != nullptr) CancelOnce(window, *state);
      return 0;
    case WM_CLOSE:
      if (state != nullptr) CancelOnce(window, *state);
      return 0;  // the window goes when the work has ended
    case kMsgProgress: {
      HWND bar = GetDlgItem(window, kIdBar);
      const int percent = static_cast<int>(wparam);
      if (percent >= 0) SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&WindowProc), &module);
  return module;
}

HWND CreateProgressWindow(HWND parent, WindowState& state) {
  const HINSTANCE instance = ThisModule();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, L"Velkor Update",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight, parent, nullptr, instance,
                                &state);
  if (window == nullptr) return nullptr;
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND children[] = {
      CreateWindowExW(0, L"STATIC", L"Downloading the update...", WS_CHILD | WS_VISIBLE, 16, 14, kWidth - 40, 18,
                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdText)), instance, nullptr),
      CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 16, 40, kWidth - 40, 18, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBar)), instance, nullptr),
      CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      kWidth - 110, 72, 86, 26, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)),
                      instance, nullptr)};
  for (HWND child : children) {
    if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageW(children[1], PBM_SETRANGE32, 0, 100);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

}  // namespace

bool RunWithProgress(HWND parent, const ProgressWork& work) {
  WindowState state{&work, false};
  HWND window = CreateProgressWindow(parent, state);
  if (window == nullptr) return work.run([](int) {});

  std::atomic<bool> result{false};
  UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  bool ran = false;
  if (done) {
    try {
      std::thread worker([&] {
        try {
          result.store(work.run([window](int percent) {
            PostMessageW(window, kMsgProgress, static_cast<WPARAM>(percent), 0);
          }));
        } catch (...) {
          result.store(false);
        }
        SetEvent(done.get());
      });
      // The caller's thread keeps its windows alive while the work runs.
      HANDLE waitFor = done.get();
      for (;;) {
        const DWORD wake = MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT);
        if (wake == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            // Kept for the caller's own loop; the window's work is ended.
            CancelOnce(window, state);
            PostQuitMessage(static_cast<int>(msg.wParam));
            WaitForSingleObject(waitFor, INFINITE);
            break;
          }
          if (IsDialogMessageW(window, &msg)) continue;
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
        if (WaitForSingleObject(waitFor, 0) == WAIT_OBJECT_0) break;
      }
      worker.join();
      ran = true;
    } catch (const std::system_error&) {
      // No thread to be had: the work runs below, on this thread.
    }
  }
  DestroyWindow(window);
  if (!ran) return work.run([](int) {});
  return result.load() && !state.cancelled;
}

}  // namespace velkor::update
