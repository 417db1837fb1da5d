#pragma once
// What the overlay and its pop-ups need from the main window: the shared
// flags and the window they dim. The main window implements it.

#include <windows.h>

#include "core/popup_kind.hpp"

namespace velkor {

class PopupHost {
 public:
  virtual ~PopupHost() = default;
  virtual HWND MainWindow() const = 0;
  // The kind of pop-up the overlay shows next.
  virtual PopupKind ShownPopup() const = 0;
  virtual void SetOverlayShown(bool shown) = 0;
  virtual void SetPopupShown(bool shown) = 0;
  // After the overlay is hidden: repaint what it covered, focus back.
  virtual void OnOverlayHidden() = 0;
};

}  // namespace velkor
