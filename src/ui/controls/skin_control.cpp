#include "ui/controls/skin_control.hpp"

#include <commctrl.h>

namespace velkor {

namespace {
constexpr UINT_PTR kSubclassId = 0x56454c4b;  // one subclass of ours per control
}

bool ReflectOwnerDraw(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DRAWITEM && lParam != 0) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU || item->hwndItem == nullptr) return false;
    result = SendMessageW(item->hwndItem, kMsgReflectDrawItem, wParam, lParam);
    return result != 0;
  }
  if (message == WM_MEASUREITEM && lParam != 0) {
    const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType == ODT_MENU) return false;
    HWND control = GetDlgItem(parent, static_cast<int>(item->CtlID));
    if (control == nullptr) return false;
    result = SendMessageW(control, kMsgReflectMeasureItem, wParam, lParam);
    return result != 0;
  }
  return false;
}

CSkinControl::~CSkinControl() { Detach(); }

bool CSkinControl::Attach(HWND dialog, int id) { return Attach(GetDlgItem(dialog, id)); }

bool CSkinControl::Attach(HWND control) {
  if (control == nullptr || hwnd_ != nullptr) return false;
  if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = control;
  return true;
}

void CSkinControl::Detach() {
  if (hwnd_ != nullptr) {
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
  }
}

void CSkinControl::Invalidate(bool erase) const {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
}

LRESULT CSkinControl::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CSkinControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) {
  auto* control = reinterpret_cast<CSkinControl*>(self);
  if (message == WM_NCDESTROY) {
    // The window goes first: forget it so that Detach does not touch it.
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    control->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  bool handled = false;
  const LRESULT result = control->OnMessage(message, wParam, lParam, handled);
  return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

HCURSOR HandCursor() {
  static const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  return hand;
}

bool HoverTracker::OnMouseMove(HWND hwnd) {
  if (tracking_) return false;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd;
  track.dwHoverTime = 1;
  tracking_ = TrackMouseEvent(&track) != FALSE;
  cursor_ = HandCursor();
  return false;
}

bool HoverTracker::OnMouseHover() {
  hovered_ = true;
  cursor_ = HandCursor();
  return true;
}

bool HoverTracker::OnMouseLeave() {
  tracking_ = false;
  hovered_ = false;
  cursor_ = nullptr;
  return true;
}

bool HoverTracker::OnSetCursor() const {
  if (cursor_ == nullptr) return false;
  SetCursor(cursor_);
  return true;
}

LRESULT HoverTracker::HandleMessage(HWND hwnd, UINT message, bool& handled) {
  bool repaint = false;
  switch (message) {
    case WM_MOUSEMOVE:
      repaint = OnMouseMove(hwnd);
      break;
    case WM_MOUSEHOVER:
      repaint = OnMouseHover();
      break;
    case WM_MOUSELEAVE:
      repaint = OnMouseLeave();
      break;
    case WM_SETCURSOR:
      if (OnSetCursor()) {
        handled = true;
        return TRUE;
      }
      break;
    default:
      break;
  }
  if (repaint) InvalidateRect(hwnd, nullptr, FALSE);
  return 0;
}

}  // namespace velkor
