#pragma once
// Base of the skinned controls: a standard control window (created from a
// dialog template) that we subclass to draw it ourselves. Owner-draw requests
// go to the control's parent; the parent hands them back to the control with
// ReflectOwnerDraw, so that every control draws itself.

#include <windows.h>

namespace velkor {

// Private messages by which a parent passes owner-draw requests back to the
// control they belong to. lParam is the original DRAWITEMSTRUCT* or
// MEASUREITEMSTRUCT*.
inline constexpr UINT kMsgReflectDrawItem = WM_APP + 0x301;
inline constexpr UINT kMsgReflectMeasureItem = WM_APP + 0x302;

// For a parent's window or dialog procedure: forwards WM_DRAWITEM and
// WM_MEASUREITEM to the control they concern. Returns true when handled.
bool ReflectOwnerDraw(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

class CSkinControl {
 public:
  CSkinControl() = default;
  virtual ~CSkinControl();
  CSkinControl(const CSkinControl&) = delete;
  CSkinControl& operator=(const CSkinControl&) = delete;

  // Takes over the dialog's control `id`. Returns false when there is none.
  bool Attach(HWND dialog, int id);
  bool Attach(HWND control);
  void Detach();

  HWND hwnd() const { return hwnd_; }
  void Invalidate(bool erase = false) const;

 protected:
  // Every message of the control; set `handled` to stop default processing.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
  LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  HWND hwnd_ = nullptr;
};

// Hover and leave tracking with the hand cursor, shared by the picture buttons
// and the hyperlink button. The owner repaints on the returned changes.
class HoverTracker {
 public:
  // Each returns true when the control should be repainted.
  bool OnMouseMove(HWND hwnd);
  bool OnMouseHover();
  bool OnMouseLeave();
  // WM_SETCURSOR: true when the control's cursor was set.
  bool OnSetCursor() const;
  // Routes the four messages above for a control: repaints it without erasing
  // when its hover state changed, and marks WM_SETCURSOR handled (result TRUE)
  // when it set the cursor. Other messages are left alone.
  LRESULT HandleMessage(HWND hwnd, UINT message, bool& handled);

  bool hovered() const { return hovered_; }
  void ClearHover() { hovered_ = false; }

 private:
  bool tracking_ = false;
  bool hovered_ = false;
  HCURSOR cursor_ = nullptr;
};

HCURSOR HandCursor();

}  // namespace velkor
