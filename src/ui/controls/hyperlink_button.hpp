#pragma once
// A flat button drawn as an underlined link: text on a plain background, a
// hover colour, and a small shift while hovered or pressed.

#include "ui/controls/skin_control.hpp"

namespace velkor {

class ChyperlinkBtn : public CSkinControl {
 public:
  struct Colors {
    COLORREF normal = RGB(9, 18, 27);
    COLORREF hovered = RGB(45, 72, 108);
    COLORREF pressed = RGB(0, 0, 0);
    COLORREF background = RGB(255, 255, 255);
  };
  void SetColors(const Colors& colors);
  void SetBold(bool bold);
  void SetCentredMultiline(bool centred);
  void SetUseSharedFonts(bool shared);
  void SetText(const wchar_t* text);
  bool hovered() const { return hover_.hovered(); }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item);

  Colors colors_;
  bool bold_ = false;
  bool centred_ = false;
  bool sharedFonts_ = true;
  HoverTracker hover_;
};

}  // namespace velkor
