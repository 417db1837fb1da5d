#include "ui/pages/overlay.hpp"

#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {
constexpr COLORREF kDim = RGB(28, 38, 52);
}

bool SetWindowAlpha(HWND hwnd, BYTE alpha) {
  using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  static const auto setLayered = reinterpret_cast<SetLayeredFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
  if (setLayered == nullptr) return false;
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  return setLayered(hwnd, 0, alpha, LWA_ALPHA) != FALSE;
}

void CentreWindow(HWND window, HWND over) {
  RECT area{};
  if (over != nullptr) {
    GetWindowRect(over, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CNagTransparentDlg::CNagTransparentDlg(const PageFonts& fonts, PopupHost& host)
    : CGlobalUI(IDD_OVERLAY, fonts), host_(host) {}

bool CNagTransparentDlg::CreateOverlay(HWND mainWindow) { return Create(mainWindow); }

void CNagTransparentDlg::OnInitPage() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  layered_ = SetWindowAlpha(hwnd(), kOverlayAlpha);
  ApplyRoundedRegion(hwnd(), client.right, client.bottom);
}

void CNagTransparentDlg::AddPopup(PopupKind kind, CGlobalUINag& popup) { popups_[kind] = &popup; }

CGlobalUINag* CNagTransparentDlg::PopupOfKind(PopupKind kind) const {
  const auto found = popups_.find(kind);
  return found == popups_.end() ? nullptr : found->second;
}

void CNagTransparentDlg::ShowOverOwner() {
  CentreWindow(hwnd(), host_.MainWindow());
  ShowWindow(hwnd(), SW_SHOW);
}

void CNagTransparentDlg::Hide() { ShowWindow(hwnd(), SW_HIDE); }

void CNagTransparentDlg::OnShown(bool visible) {
  if (visible) {
    host_.SetOverlayShown(true);
    if (CGlobalUINag* popup = PopupOfKind(host_.ShownPopup())) {
      CentreWindow(popup->hwnd(), host_.MainWindow());
      // ShowWindow, not SetWindowPos: the pop-up learns that it is shown from
      // WM_SHOWWINDOW.
      ShowWindow(popup->hwnd(), SW_SHOW);
      SetWindowPos(popup->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      SetForegroundWindow(popup->hwnd());
    }
  } else {
    host_.SetOverlayShown(false);
    // A pop-up never outlives the overlay that holds it.
    for (const auto& [kind, popup] : popups_) {
      if (popup->IsVisible()) ShowWindow(popup->hwnd(), SW_HIDE);
    }
    host_.OnOverlayHidden();
  }
}

void CNagTransparentDlg::PaintPage(HDC dc, const RECT& client) {
  const UniqueGdiObject dim(CreateSolidBrush(kDim));
  FillRect(dc, &client, static_cast<HBRUSH>(dim.get()));
}

bool CNagTransparentDlg::OnCommand(int id, int) {
  // Enter and Escape never close the overlay.
  return id == IDOK || id == IDCANCEL;
}

}  // namespace velkor
