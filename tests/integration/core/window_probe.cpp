// A small helper for the window tests: finds the program's main window (the
// top-level dialog with TITLE that no window owns and that holds the
// navigation), or one of its message boxes, and reports or changes its state.
// A message box is a top-level dialog with the same title, so the main window
// is never taken for the first dialog of that title.
//   window_probe wait TITLE [ms]         wait until the main window exists
//   window_probe gone TITLE [ms]         wait until it no longer exists
//   window_probe state TITLE             "visible=1 iconic=0 foreground=1"
//   window_probe minimize TITLE
//   window_probe text TITLE ID           text of the control ID
//   window_probe close TITLE             ask the window to close
//   window_probe find-message TITLE TEXT [ms]  wait for a message box with TEXT, answer OK
//   window_probe wait-message TITLE TEXT [ms]  wait for a message box with TEXT, leave it open
//   window_probe answer-message TITLE TEXT yes|no [ms]  wait for a Yes/No box with TEXT, answer it
//   window_probe list-rows TITLE ID      rows of the visible page's list ID:
//                                        "item data<TAB>first column<TAB>second column"
//   window_probe list-click TITLE ID ROW COLUMN  click into a cell of that list
//   window_probe popup-text TITLE ID     text of control ID of the shown pop-up
//   window_probe tree-items TITLE ID     items of the visible page's tree ID, depth
//                                        first: "depth<TAB>check state<TAB>item data<TAB>text"
//   window_probe tree-click TITLE ID TEXT  click the check box of the first item with TEXT
//   window_probe page-visible TITLE ID   1 when control ID of the visible page shows, else 0
//   window_probe page-press TITLE ID     click button ID of the visible page without
//                                        waiting for what the click starts (a message box)
//   window_probe popup-list-rows TITLE ID   rows of the shown pop-up's list ID (as list-rows)
//   window_probe popup-visible|popup-enabled TITLE ID   1 or 0 for control ID of the shown pop-up
//   window_probe popup-click TITLE ID    presses button ID of the shown pop-up
//   window_probe enabled TITLE ID        1 or 0: control ID of the main window is enabled
//   window_probe start-limited COMMAND-LINE  runs the command as a user without
//                                        administrator rights (the Administrators
//                                        group for deny only), waits for it and
//                                        exits with its exit code (3: not started)
// Exit code 0 on success, 1 when the window or text was not found, 2 usage.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
// The main window's Home button: only the main window has it.
constexpr int kNavigationHome = 1002;

void Print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  std::fflush(stdout);
}

std::wstring ControlText(HWND control) {
  // WM_GETTEXT, not GetWindowText: across processes the latter reads only the
  // window's own caption, which an edit control does not keep.
  wchar_t buffer[1024] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &ignored);
  buffer[1023] = L'\0';
  return buffer;
}

struct Search {
  const wchar_t* title;
  const wchar_t* text;  // null: the main window; else a dialog holding a control with this text
  HWND found;
};

bool IsMainWindow(HWND window) {
  return GetWindow(window, GW_OWNER) == nullptr && GetDlgItem(window, kNavigationHome) != nullptr;
}

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
  if ((s->text == nullptr && IsMainWindow(window)) || (s->text != nullptr && inner.found != nullptr)) {
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

HWND VisiblePage(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (std::wstring(cls) == kDialogClass && IsWindowVisible(child)) return child;
  }
  return nullptr;
}

struct PopupSearch {
  DWORD process;
  HWND found;
};

// A visible pop-up of the program: a dialog of the same process with a close
// box (control 1045) that is owned by another window.
BOOL CALLBACK FindPopup(HWND window, LPARAM lparam) {
  auto* s = reinterpret_cast<PopupSearch*>(lparam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (process == s->process && IsWindowVisible(window) && std::wstring(cls) == kDialogClass &&
      GetWindow(window, GW_OWNER) != nullptr && GetDlgItem(window, 1045) != nullptr) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// Lists the program's top-level windows: class, visibility, place, owner.
BOOL CALLBACK ListWindow(HWND window, LPARAM lparam) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != static_cast<DWORD>(lparam)) return TRUE;
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  RECT rect{};
  GetWindowRect(window, &rect);
  Print(std::wstring(cls) + L" visible=" + std::to_wstring(IsWindowVisible(window) ? 1 : 0) + L" " +
        std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L" " +
        std::to_wstring(rect.right - rect.left) + L"x" + std::to_wstring(rect.bottom - rect.top) +
        L" owned=" + std::to_wstring(GetWindow(window, GW_OWNER) != nullptr ? 1 : 0) + L" exstyle=" +
        std::to_wstring(GetWindowLongW(window, GWL_EXSTYLE)));
  return TRUE;
}

int ControlId(const wchar_t* text) { return static_cast<int>(wcstol(text, nullptr, 10)); }

// The same user without administrator rights: a token whose Administrators
// group only denies.
int StartLimited(const wchar_t* commandLine) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token)) return 3;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &admins)) {
    CloseHandle(token);
    return 3;
  }
  SID_AND_ATTRIBUTES denyOnly{admins, 0};
  HANDLE limited = nullptr;
  const BOOL restricted = CreateRestrictedToken(token, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &limited);
  FreeSid(admins);
  CloseHandle(token);
  if (!restricted) return 3;
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessAsUserW(limited, nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(limited);
  if (!started) return 3;
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 3;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// A block of memory in the program's process: list-view messages carry
// pointers, which must point into the list's own process.
class RemoteBlock {
 public:
  RemoteBlock(HWND control, SIZE_T size) : size_(size) {
    DWORD process = 0;
    GetWindowThreadProcessId(control, &process);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (process_ != nullptr) memory_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (memory_ != nullptr) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  bool ok() const { return memory_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(memory_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return offset + size <= size_ && WriteProcessMemory(process_, at(offset), data, size, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return offset + size <= size_ && ReadProcessMemory(process_, at(offset), data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
  SIZE_T size_;
};

constexpr SIZE_T kTextOffset = 512;
constexpr int kTextUnits = 512;

// One cell's text (and the row's item data) through the program's memory.
bool ReadCell(HWND list, const RemoteBlock& block, int row, int column, std::wstring& text, LPARAM& data) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(block.at(kTextOffset));
  item.cchTextMax = kTextUnits;
  const wchar_t empty = L'\0';
  if (!block.Write(0, &item, sizeof(item)) || !block.Write(kTextOffset, &empty, sizeof(empty))) return false;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0)));
  wchar_t buffer[kTextUnits] = {};
  if (!block.Read(0, &item, sizeof(item)) || !block.Read(kTextOffset, buffer, sizeof(buffer))) return false;
  buffer[kTextUnits - 1] = L'\0';
  text = buffer;
  data = item.lParam;
  return true;
}

int ListRows(HWND list) {
  RemoteBlock block(list, 4096);
  if (!block.ok()) return 1;
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    std::wstring first, second;
    LPARAM data = 0, ignored = 0;
    if (!ReadCell(list, block, row, 0, first, data) || !ReadCell(list, block, row, 1, second, ignored)) return 1;
    Print(std::to_wstring(data) + L"\t" + first + L"\t" + second);
  }
  return 0;
}

// A left click into the middle of a cell, as the mouse would give it.
int ListClick(HWND list, int row, int column) {
  RemoteBlock block(list, 4096);
  if (!block.ok()) return 1;
  RECT rect{LVIR_BOUNDS, column, 0, 0};
  if (!block.Write(0, &rect, sizeof(rect))) return 1;
  if (!SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.at(0)))) return 1;
  if (!block.Read(0, &rect, sizeof(rect))) return 1;
  if (column == 0) {
    // The first column's rectangle is the whole row: keep to its own width.
    rect.right = rect.left + static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  }
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(list, WM_LBUTTONUP, 0, point);
  return 0;
}

HTREEITEM NextTreeItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// An item's text, state and data through the program's memory.
bool ReadTreeItem(HWND tree, const RemoteBlock& block, HTREEITEM handle, std::wstring& text, UINT& state,
                  LPARAM& data) {
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_STATE | TVIF_PARAM | TVIF_HANDLE;
  item.hItem = handle;
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.pszText = reinterpret_cast<wchar_t*>(block.at(kTextOffset));
  item.cchTextMax = kTextUnits;
  const wchar_t empty = L'\0';
  if (!block.Write(0, &item, sizeof(item)) || !block.Write(kTextOffset, &empty, sizeof(empty))) return false;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0)));
  wchar_t buffer[kTextUnits] = {};
  if (!block.Read(0, &item, sizeof(item)) || !block.Read(kTextOffset, buffer, sizeof(buffer))) return false;
  buffer[kTextUnits - 1] = L'\0';
  text = buffer;
  state = (item.state & TVIS_STATEIMAGEMASK) >> 12;
  data = item.lParam;
  return true;
}

// Calls visit(item, depth, text, state, data) depth first until it returns false.
template <typename Visit>
bool WalkTree(HWND tree, const RemoteBlock& block, HTREEITEM item, int depth, Visit& visit) {
  for (; item != nullptr; item = NextTreeItem(tree, item, TVGN_NEXT)) {
    std::wstring text;
    UINT state = 0;
    LPARAM data = 0;
    if (!ReadTreeItem(tree, block, item, text, state, data) || !visit(item, depth, text, state, data)) return false;
    if (!WalkTree(tree, block, NextTreeItem(tree, item, TVGN_CHILD), depth + 1, visit)) return false;
  }
  return true;
}

int TreeItems(HWND tree) {
  RemoteBlock block(tree, 4096);
  if (!block.ok()) return 1;
  auto print = [](HTREEITEM, int depth, const std::wstring& text, UINT state, LPARAM data) {
    Print(std::to_wstring(depth) + L"\t" + std::to_wstring(state) + L"\t" + std::to_wstring(data) + L"\t" + text);
    return true;
  };
  WalkTree(tree, block, NextTreeItem(tree, nullptr, TVGN_ROOT), 0, print);
  return 0;
}

// A left click on an item's check box, as the mouse would give it: the box is
// found by hit-testing leftwards from the item's label.
int TreeClick(HWND tree, const std::wstring& wanted) {
  RemoteBlock block(tree, 4096);
  if (!block.ok()) return 1;
  HTREEITEM found = nullptr;
  auto find = [&](HTREEITEM item, int, const std::wstring& text, UINT, LPARAM) {
    if (text == wanted) found = item;
    return found == nullptr;
  };
  WalkTree(tree, block, NextTreeItem(tree, nullptr, TVGN_ROOT), 0, find);
  if (found == nullptr) return 1;
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(found));
  RECT label{};
  // The message names the item in the rectangle's first bytes.
  if (!block.Write(0, &found, sizeof(found)) ||
      !SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(block.at(0))) ||
      !block.Read(0, &label, sizeof(label))) {
    return 1;
  }
  const int y = (label.top + label.bottom) / 2;
  for (int x = label.left - 1; x >= 0; --x) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    if (!block.Write(0, &hit, sizeof(hit))) return 1;
    const HTREEITEM at =
        reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(block.at(0))));
    if (!block.Read(0, &hit, sizeof(hit))) return 1;
    if (at == found && (hit.flags & TVHT_ONITEMSTATEICON)) {
      PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      return 0;
    }
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring verb = argv[1];
  if (verb == L"start-limited") return StartLimited(argv[2]);
  const wchar_t* title = argv[2];
  const DWORD wait_ms = (verb == L"wait" || verb == L"gone") && argc > 3 ? wcstoul(argv[3], nullptr, 10) : 20000;
  if (verb == L"answer-message") {
    if (argc < 5) return 2;
    const std::wstring answer = argv[4];
    if (answer != L"yes" && answer != L"no") return 2;
    HWND box = FindDialog(title, argv[3], argc > 5 ? wcstoul(argv[5], nullptr, 10) : 20000);
    if (box == nullptr) return 1;
    PostMessageW(box, WM_COMMAND, answer == L"yes" ? IDYES : IDNO, 0);
    return 0;
  }
  if (verb == L"find-message" || verb == L"wait-message") {
    if (argc < 4) return 2;
    const DWORD ms = argc > 4 ? wcstoul(argv[4], nullptr, 10) : 20000;
    HWND box = FindDialog(title, argv[3], ms);
    if (box == nullptr) return 1;
    if (verb == L"find-message") PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  if (verb == L"gone") {
    const DWORD start = GetTickCount();
    while (FindDialog(title, nullptr, 0) != nullptr) {
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
  // The program's main window: pages are child dialogs whose id is their
  // template number.
  if (verb == L"page") {
    HWND page = VisiblePage(window);
    Print(std::to_wstring(page != nullptr ? GetDlgCtrlID(page) : 0));
    return 0;
  }
  if (verb == L"geometry") {
    RECT rect{};
    GetWindowRect(window, &rect);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool hasRegion = GetWindowRgn(window, region) != ERROR;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " + std::to_wstring(w) + L" " +
          std::to_wstring(h) + L" region=" + std::to_wstring(hasRegion ? 1 : 0) +
          L" corners=" + std::to_wstring(hasRegion && (PtInRegion(region, 0, 0) || PtInRegion(region, w - 1, 0) ||
                                                       PtInRegion(region, 0, h - 1) || PtInRegion(region, w - 1, h - 1))) +
          L" middle=" + std::to_wstring(hasRegion && PtInRegion(region, w / 2, h / 2) ? 1 : 0));
    DeleteObject(region);
    return 0;
  }
  if ((verb == L"click" || verb == L"page-click" || verb == L"page-press" || verb == L"page-text" ||
       verb == L"page-enabled" || verb == L"page-checked" || verb == L"page-visible") &&
      argc > 3) {
    HWND parent = verb == L"click" ? window : VisiblePage(window);
    HWND control = parent != nullptr ? GetDlgItem(parent, ControlId(argv[3])) : nullptr;
    if (control == nullptr) return 1;
    if (verb == L"page-text") Print(ControlText(control));
    if (verb == L"page-enabled") Print(std::to_wstring(IsWindowEnabled(control) ? 1 : 0));
    if (verb == L"page-checked") Print(std::to_wstring(SendMessageW(control, BM_GETCHECK, 0, 0)));
    if (verb == L"click" || verb == L"page-click") SendMessageW(control, BM_CLICK, 0, 0);
    if (verb == L"page-press") PostMessageW(control, BM_CLICK, 0, 0);
    if (verb == L"page-visible") Print(std::to_wstring(IsWindowVisible(control) ? 1 : 0));
    return 0;
  }
  if (verb == L"visible" && argc > 3) {
    HWND control = GetDlgItem(window, ControlId(argv[3]));
    Print(std::to_wstring(control != nullptr && IsWindowVisible(control) ? 1 : 0));
    return 0;
  }
  if (verb == L"command" && argc > 3) {
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(ControlId(argv[3])), 0);
    return 0;
  }
  if (verb == L"key" && argc > 3) {
    const std::wstring key = argv[3];
    if (key == L"escape") {
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else if (key == L"altf4") {
      PostMessageW(window, WM_SYSKEYDOWN, VK_F4, 0x20000001);
      PostMessageW(window, WM_SYSKEYUP, VK_F4, 0xE0000001);
    } else {
      return 2;
    }
    return 0;
  }
  if (verb == L"windows") {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    EnumWindows(ListWindow, static_cast<LPARAM>(process));
    return 0;
  }
  if ((verb == L"list-rows" && argc > 3) || (verb == L"list-click" && argc > 5)) {
    HWND page = VisiblePage(window);
    HWND list = page != nullptr ? GetDlgItem(page, ControlId(argv[3])) : nullptr;
    if (list == nullptr) return 1;
    if (verb == L"list-rows") return ListRows(list);
    return ListClick(list, ControlId(argv[4]), ControlId(argv[5]));
  }
  if ((verb == L"tree-items" && argc > 3) || (verb == L"tree-click" && argc > 4)) {
    HWND page = VisiblePage(window);
    HWND tree = page != nullptr ? GetDlgItem(page, ControlId(argv[3])) : nullptr;
    if (tree == nullptr) return 1;
    return verb == L"tree-items" ? TreeItems(tree) : TreeClick(tree, argv[4]);
  }
  if (verb == L"popup" || verb == L"close-popup" ||
      ((verb == L"popup-text" || verb == L"popup-list-rows" || verb == L"popup-visible" ||
        verb == L"popup-enabled" || verb == L"popup-click") &&
       argc > 3) ||
      ((verb == L"popup-set-text" || verb == L"popup-select") && argc > 4)) {
    PopupSearch search{0, nullptr};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    if (verb == L"close-popup") SendMessageW(GetDlgItem(search.found, 1045), BM_CLICK, 0, 0);
    if (verb == L"popup" || verb == L"close-popup") return 0;
    HWND control = argc > 3 ? GetDlgItem(search.found, ControlId(argv[3])) : nullptr;
    if (verb == L"popup-visible") Print(std::to_wstring(control != nullptr && IsWindowVisible(control) ? 1 : 0));
    if (control == nullptr) return verb == L"popup-visible" ? 0 : 1;
    if (verb == L"popup-text") Print(ControlText(control));
    if (verb == L"popup-enabled") Print(std::to_wstring(IsWindowEnabled(control) ? 1 : 0));
    if (verb == L"popup-click") PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(ControlId(argv[3]), BN_CLICKED),
                                             reinterpret_cast<LPARAM>(control));
    if (verb == L"popup-list-rows") return ListRows(control);
    // The system carries WM_SETTEXT's text across processes; a combo box's
    // selection is a number.
    if (verb == L"popup-set-text") SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    if (verb == L"popup-select") SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[4])), 0);
    return 0;
  }
  if (verb == L"enabled" && argc > 3) {
    HWND control = GetDlgItem(window, ControlId(argv[3]));
    Print(std::to_wstring(control != nullptr && IsWindowEnabled(control) ? 1 : 0));
    return 0;
  }
  return 2;
}
