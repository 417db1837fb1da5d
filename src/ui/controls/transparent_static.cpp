#include "ui/controls/transparent_static.hpp"

#include "platform/gdi_handles.hpp"
#include "ui/controls/text_fit.hpp"

#include <iterator>
#include <string>

namespace velkor {

void CTransparentStatic2::SetTextColor(COLORREF color) {
  color_ = color;
  Invalidate();
}

void CTransparentStatic2::ResetBackground() {
  background_.reset();
  Invalidate(true);
}

// Copies the part of the parent's client area under the label. The parent is
// asked to print itself into our bitmap (our pages paint their skin there); a
// parent that does not print is copied from its window instead.
void CTransparentStatic2::SaveBackground(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const HWND parent = GetParent(hwnd());
  POINT origin{0, 0};
  MapWindowPoints(hwnd(), parent, &origin, 1);
  background_.reset(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!background_) return;
  const BitmapSource target(dc, static_cast<HBITMAP>(background_.get()));
  if (!target || parent == nullptr) return;
  HDC memory = target.dc();
  POINT oldOrigin{};
  SetViewportOrgEx(memory, -origin.x, -origin.y, &oldOrigin);
  const bool printed = SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT) != 0;
  SetViewportOrgEx(memory, oldOrigin.x, oldOrigin.y, nullptr);
  if (!printed) {
    const WindowDc parentDc(parent);
    BitBlt(memory, 0, 0, client.right, client.bottom, parentDc.get(), origin.x, origin.y, SRCCOPY);
  }
}

void CTransparentStatic2::PutBackground(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  CopyBitmap(dc, static_cast<HBITMAP>(background_.get()), 0, 0, client.right, client.bottom);
}

void CTransparentStatic2::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd(), &paint);
  if (!background_) SaveBackground(dc);
  if (background_) PutBackground(dc);
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd(), text, static_cast<int>(std::size(text)));
  RECT client{};
  GetClientRect(hwnd(), &client);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  {
  const SelectedObject selected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color_);
  const LONG style = GetWindowLongW(hwnd(), GWL_STYLE);
  UINT alignment = DT_LEFT;
  if ((style & SS_TYPEMASK) == SS_CENTER) alignment = DT_CENTER;
  if ((style & SS_TYPEMASK) == SS_RIGHT) alignment = DT_RIGHT;
  DrawTextW(dc, text, -1, &client, FittingTextFormat(dc, client, text, alignment));
  }
  EndPaint(hwnd(), &paint);
}

LRESULT CTransparentStatic2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      handled = true;
      if (!background_) {
        SaveBackground(dc);
        Invalidate();
      } else {
        PutBackground(dc);
      }
      return TRUE;
    }
    case WM_PAINT:
      Paint();
      handled = true;
      return 0;
    case WM_SETTEXT: {
      // Let the text change, then paint the saved background over the old text
      // at once.
      const LRESULT result = CallDefault(message, wParam, lParam);
      handled = true;
      InvalidateRect(hwnd(), nullptr, TRUE);
      UpdateWindow(hwnd());
      return result;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace velkor
