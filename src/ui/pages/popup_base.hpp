#pragma once
// Base of the pop-up dialogs shown inside the dimming overlay: rounded corners,
// a dark title band with the heading, and the close box at the top right.

#include "ui/controls/picture_buttons.hpp"
#include "ui/pages/global_ui.hpp"
#include "ui/pages/popup_host.hpp"

namespace velkor {

inline constexpr int kPopupTitleBand = 40;

class CGlobalUINag : public CGlobalUI {
 public:
  CGlobalUINag(int templateId, const PageFonts& fonts, PopupHost& host)
      : CGlobalUI(templateId, fonts), host_(host) {}

  // Closes the pop-up as its close box does (unless Enter or Escape is held,
  // i.e. the click came from the keyboard): OnClosing, then ClosePopup.
  void CloseFromButton();
  // Closes the pop-up and the overlay that holds it; focus back to the main window.
  void ClosePopup();

 protected:
  // Pop-ups add their own initialisation here.
  virtual void OnInitPopup() {}
  virtual bool OnPopupCommand(int /*id*/, int /*code*/) { return false; }
  virtual void OnPopupShown(bool /*visible*/) {}
  // The user closes the pop-up (its close box, or a close button that calls
  // CloseFromButton).
  virtual void OnClosing() {}
  void PaintPage(HDC dc, const RECT& client) override;
  // A pop-up's body is white everywhere; the page panel is not drawn here.
  COLORREF BackgroundAt(const RECT&) const override { return RGB(255, 255, 255); }
  PopupHost& host() { return host_; }

 private:
  void OnInitPage() final;
  bool OnCommand(int id, int code) final;
  void OnShown(bool visible) final;
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  PopupHost& host_;
  CHoverButton closeButton_;
};

// Rounded region with a 9 by 9 corner ellipse over a window of width by height.
void ApplyRoundedRegion(HWND hwnd, int width, int height);

}  // namespace velkor
