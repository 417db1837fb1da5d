#pragma once
// The dimming overlay: a layered window of the main window's size and shape,
// laid over it at partial opacity, that hosts one pop-up at a time.

#include <map>

#include "ui/pages/popup_base.hpp"

namespace velkor {

inline constexpr BYTE kOverlayAlpha = 200;

// SetLayeredWindowAttributes, looked up at run time (older systems lack it).
// Returns false when the system has no layered windows.
bool SetWindowAlpha(HWND hwnd, BYTE alpha);

class CNagTransparentDlg : public CGlobalUI {
 public:
  CNagTransparentDlg(const PageFonts& fonts, PopupHost& host);

  // Creates the overlay, owned by the main window (hidden).
  bool CreateOverlay(HWND mainWindow);
  // The pop-up of a kind; the overlay creates none of them itself, the main
  // window registers each after creating it with the overlay as owner.
  void AddPopup(PopupKind kind, CGlobalUINag& popup);
  CGlobalUINag* PopupOfKind(PopupKind kind) const;
  // Centres the overlay over the main window and shows it (which shows the
  // pop-up of the current kind).
  void ShowOverOwner();
  void Hide();
  bool layered() const { return layered_; }

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  void PaintPage(HDC dc, const RECT& client) override;
  bool OnCommand(int id, int code) override;

 private:
  PopupHost& host_;
  std::map<PopupKind, CGlobalUINag*> popups_;
  bool layered_ = false;
};

// Centres `window` over `over` (or over the work area when over is null).
void CentreWindow(HWND window, HWND over);

}  // namespace velkor
