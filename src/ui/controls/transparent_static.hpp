#pragma once
// A label that shows the page skin behind its text. On its first erase it
// keeps a copy of the parent's picture under it; later erases put that copy
// back, so a changed text never leaves the old one behind.

#include "platform/unique_handle.hpp"
#include "ui/controls/skin_control.hpp"

namespace velkor {

class CTransparentStatic2 : public CSkinControl {
 public:
  void SetTextColor(COLORREF color);
  // Forgets the saved background (after the parent's picture changed).
  void ResetBackground();
  bool hasBackground() const { return static_cast<bool>(background_); }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void SaveBackground(HDC dc);
  void PutBackground(HDC dc);
  void Paint();

  UniqueGdiObject background_;
  COLORREF color_ = RGB(9, 18, 27);
};

}  // namespace velkor
