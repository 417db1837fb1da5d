// A small helper for the window tests: finds the program's top-level dialogs
// and reports or changes their state.
//   window_probe wait TITLE [ms]         wait until a dialog with TITLE exists
//   window_probe gone TITLE [ms]         wait until none exists
//   window_probe state TITLE             "visible=1 iconic=0 foreground=1"
//   window_probe minimize TITLE
//   window_probe text TITLE ID           text of the control ID
//   window_probe close TITLE             ask the window to close
//   window_probe find-message TITLE TEXT [ms]  wait for a message box with TEXT, answer OK
// Exit code 0 on success, 1 when the window or text was not found, 2 usage.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

void Print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  std::fflush(stdout);
}

std::wstring ControlText(HWND control) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(control, buffer, 1024);
  return buffer;
}

struct Search {
  const wchar_t* title;
  const wchar_t* text;  // null: any dialog with the title that holds no such static text
  HWND found;
};

BOOL CALLBACK ChildHasText(HWND child, LPARAM lparam) {
  auto* s = reinterpret_cast<Search*>(lparam);
  if (ControlText(child).find(s->text) != std::wstring::npos) {
    s->found = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK TopLevel(HWND window, LPARAM lparam) {
  auto* s = reinterpret_cast<Search*>(lparam);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (std::wstring(cls) != kDialogClass || ControlText(window) != s->title) return TRUE;
  Search inner{s->title, s->text, nullptr};
  if (s->text != nullptr) EnumChildWindows(window, ChildHasText, reinterpret_cast<LPARAM>(&inner));
  if (s->text == nullptr || inner.found != nullptr) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialog(const wchar_t* title, const wchar_t* text, DWORD wait_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search s{title, text, nullptr};
    EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&s));
    if (s.found != nullptr || GetTickCount() - start >= wait_ms) return s.found;
    Sleep(100);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring verb = argv[1];
  const wchar_t* title = argv[2];
  const DWORD wait_ms = (verb == L"wait" || verb == L"gone") && argc > 3 ? wcstoul(argv[3], nullptr, 10) : 20000;
  if (verb == L"find-message") {
    if (argc < 4) return 2;
    const DWORD ms = argc > 4 ? wcstoul(argv[4], nullptr, 10) : 20000;
    HWND box = FindDialog(title, argv[3], ms);
    if (box == nullptr) return 1;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  if (verb == L"gone") {
    const DWORD start = GetTickCount();
    while (FindWindowW(kDialogClass, title) != nullptr) {
      if (GetTickCount() - start >= wait_ms) return 1;
      Sleep(100);
    }
    return 0;
  }
  HWND window = FindDialog(title, nullptr, verb == L"wait" ? wait_ms : 2000);
  if (window == nullptr) return 1;
  if (verb == L"wait") return 0;
  if (verb == L"state") {
    Print(L"visible=" + std::to_wstring(IsWindowVisible(window) ? 1 : 0) +
          L" iconic=" + std::to_wstring(IsIconic(window) ? 1 : 0) +
          L" foreground=" + std::to_wstring(GetForegroundWindow() == window ? 1 : 0));
    return 0;
  }
  if (verb == L"minimize") {
    ShowWindow(window, SW_MINIMIZE);
    return IsIconic(window) ? 0 : 1;
  }
  if (verb == L"text" && argc > 3) {
    Print(ControlText(GetDlgItem(window, static_cast<int>(wcstol(argv[3], nullptr, 10)))));
    return 0;
  }
  if (verb == L"close") {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
