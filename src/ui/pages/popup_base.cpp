#include "ui/pages/popup_base.hpp"

#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {
constexpr COLORREF kTitleBand = RGB(18, 45, 82);
}

void ApplyRoundedRegion(HWND hwnd, int width, int height) {
  HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, 9, 9);
  // The window owns the region from here on.
  if (region != nullptr && SetWindowRgn(hwnd, region, TRUE) == 0) DeleteObject(region);
}

void CGlobalUINag::OnInitPage() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  ApplyRoundedRegion(hwnd(), client.right, client.bottom);
  if (closeButton_.Attach(hwnd(), IDC_POPUP_CLOSE)) {
    closeButton_.LoadStrip(IDB_CAPTION_CLOSE);
    SetWindowPos(closeButton_.hwnd(), nullptr, client.right - 49, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  OnInitPopup();
}

void CGlobalUINag::CloseFromButton() {
  if (GetKeyState(VK_RETURN) < 0 || GetKeyState(VK_ESCAPE) < 0) return;
  OnClosing();
  ClosePopup();
}

void CGlobalUINag::ClosePopup() {
  host_.SetPopupShown(false);
  PostMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  SetFocus(host_.MainWindow());
}

bool CGlobalUINag::OnCommand(int id, int code) {
  if (id == IDC_POPUP_CLOSE) {
    CloseFromButton();
    return true;
  }
  // Enter and Escape arrive as OK and Cancel: a pop-up closes only by its buttons.
  if (id == IDOK || id == IDCANCEL) return true;
  return OnPopupCommand(id, code);
}

void CGlobalUINag::OnShown(bool visible) {
  if (visible) host_.SetPopupShown(true);
  OnPopupShown(visible);
}

INT_PTR CGlobalUINag::OnPageMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    host_.SetPopupShown(false);
    ShowWindow(hwnd(), SW_HIDE);
    // Closing a pop-up hides the overlay that holds it.
    HWND overlay = GetWindow(hwnd(), GW_OWNER);
    if (overlay != nullptr && overlay != host_.MainWindow()) ShowWindow(overlay, SW_HIDE);
    handled = true;
    return 0;
  }
  return 0;
}

void CGlobalUINag::PaintPage(HDC dc, const RECT& client) {
  const UniqueGdiObject white(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dc, &client, static_cast<HBRUSH>(white.get()));
  RECT band{0, 0, client.right, kPopupTitleBand};
  const UniqueGdiObject navy(CreateSolidBrush(kTitleBand));
  FillRect(dc, &band, static_cast<HBRUSH>(navy.get()));
  // The window header's gradient, from the row where the close boxes start, so
  // that the close box looks the same here as on the main window.
  DrawSkinBitmap(dc, IDB_FRAME_HEADER, 0, 0, 0, 2, client.right, 31);
  const UniqueGdiObject accent(CreateSolidBrush(RGB(64, 140, 214)));
  RECT line{0, kPopupTitleBand, client.right, kPopupTitleBand + 2};
  FillRect(dc, &line, static_cast<HBRUSH>(accent.get()));
  const UniqueGdiObject frame(CreateSolidBrush(RGB(150, 170, 190)));
  FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
  if (!heading().empty()) Text(dc, heading(), 16, 11, RGB(255, 255, 255), 3, false, client.right - 80, 24);
}

}  // namespace velkor
