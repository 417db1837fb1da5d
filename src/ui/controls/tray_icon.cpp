#include "ui/controls/tray_icon.hpp"

#include <cwchar>
#include <iterator>

namespace velkor {

bool CXTTrayIcon::Create(HWND owner, HICON icon, const std::wstring& tip, int menuId, UINT defaultItem) {
  Remove();
  menuId_ = menuId;
  defaultItem_ = defaultItem;
  data_ = {};
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;  // understood from Windows 2000 on
  data_.hWnd = owner;
  data_.uID = 1;
  data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data_.uCallbackMessage = kMsgTrayNotify;
  data_.hIcon = icon;
  // The tip holds at most 127 characters and its terminator.
  wcsncpy(data_.szTip, tip.c_str(), std::size(data_.szTip) - 1);
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

void CXTTrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

void CXTTrayIcon::ShowMenu(HINSTANCE module) {
  HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(menuId_));
  if (menu == nullptr) return;
  HMENU popup = GetSubMenu(menu, 0);
  SetMenuDefaultItem(popup, defaultItem_, FALSE);
  POINT cursor{};
  GetCursorPos(&cursor);
  // The owner must be in front for the menu to close when the user clicks away.
  SetForegroundWindow(data_.hWnd);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, data_.hWnd, nullptr);
  PostMessageW(data_.hWnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

bool CXTTrayIcon::OnNotify(LPARAM event, HINSTANCE module) {
  switch (LOWORD(event)) {
    case WM_LBUTTONDBLCLK:
      PostMessageW(data_.hWnd, WM_COMMAND, defaultItem_, 0);
      return true;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      ShowMenu(module);
      return true;
    default:
      return false;
  }
}

}  // namespace velkor
