#pragma once
// The notification-area icon: its tip, its menu with a default item, and the
// restore and remove operations. Clicks on the icon arrive at the owner window
// as kMsgTrayNotify.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace velkor {

inline constexpr UINT kMsgTrayNotify = WM_APP + 0x310;

class CXTTrayIcon {
 public:
  CXTTrayIcon() = default;
  ~CXTTrayIcon() { Remove(); }
  CXTTrayIcon(const CXTTrayIcon&) = delete;
  CXTTrayIcon& operator=(const CXTTrayIcon&) = delete;

  bool Create(HWND owner, HICON icon, const std::wstring& tip, int menuId, UINT defaultItem);
  void Remove();
  // Shows the tray menu at the cursor; the chosen command goes to the owner.
  void ShowMenu(HINSTANCE module);
  // Handles kMsgTrayNotify: a double click runs the default item, a right click
  // opens the menu. True when handled.
  bool OnNotify(LPARAM event, HINSTANCE module);
  bool added() const { return added_; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
  int menuId_ = 0;
  UINT defaultItem_ = 0;
};

}  // namespace velkor
