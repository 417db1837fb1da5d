#pragma once
// Base of every page of the main window: a child dialog from its template,
// painted off-screen in one piece (no flicker), with the common background,
// the heading style and the text drawing routine.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/gdi_handles.hpp"

#include "ui/pages/page_fonts.hpp"

namespace velkor {

inline constexpr int kPageWidth = 743;
inline constexpr int kPageHeight = 452;
inline constexpr COLORREF kHeadingColor = RGB(53, 90, 136);
inline constexpr COLORREF kPanelColor = RGB(222, 239, 246);
inline constexpr COLORREF kDarkText = RGB(9, 18, 27);

// Off-screen drawing context: everything is drawn into a memory bitmap of the
// given size, which is copied to the target in one piece when this ends.
class CMemDC1 {
 public:
  CMemDC1(HDC target, const RECT& rect);
  ~CMemDC1();
  CMemDC1(const CMemDC1&) = delete;
  CMemDC1& operator=(const CMemDC1&) = delete;
  HDC dc() const { return memory_ ? memory_.get() : target_; }

 private:
  HDC target_;
  RECT rect_;
  UniqueMemoryDc memory_;
  UniqueGdiObject bitmap_;
  std::optional<SelectedObject> selected_;  // the bitmap in memory_, released first
};

// Draws `text` into `rect` with word wrap and a transparent background, in the
// shared font of `style` (the caller's `font` for styles without one). `thick`
// draws it twice, which thickens it.
void DrawPageText(HDC dc, const PageFonts& fonts, const std::wstring& text, RECT rect, COLORREF color,
                  int style, bool underline = false, bool thick = false, HFONT font = nullptr);

// Copies a skin bitmap (a resource of the program, loaded once) to dc at x, y;
// a part of it when width and height are given.
void DrawSkinBitmap(HDC dc, int resourceId, int x, int y, int sourceX = 0, int sourceY = 0,
                    int width = -1, int height = -1);
// Size of a skin bitmap (0, 0 when missing).
SIZE SkinBitmapSize(int resourceId);

class CGlobalUI {
 public:
  CGlobalUI(int templateId, const PageFonts& fonts) : templateId_(templateId), fonts_(fonts) {}
  virtual ~CGlobalUI();
  CGlobalUI(const CGlobalUI&) = delete;
  CGlobalUI& operator=(const CGlobalUI&) = delete;

  // Creates the page as a hidden child of `parent`.
  bool Create(HWND parent, HINSTANCE module = nullptr);
  HWND hwnd() const { return hwnd_; }
  int templateId() const { return templateId_; }
  bool IsVisible() const { return hwnd_ != nullptr && IsWindowVisible(hwnd_); }

  // The page heading drawn at 23, 21 (empty: none).
  void SetHeading(std::wstring heading) { heading_ = std::move(heading); }

 protected:
  virtual void OnInitPage() {}
  virtual void OnShown(bool /*visible*/) {}
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  // Any other message; set handled to stop the default dialog handling.
  virtual INT_PTR OnPageMessage(UINT, WPARAM, LPARAM, bool& /*handled*/) { return 0; }
  // Paints the whole page; the default paints background and heading.
  virtual void PaintPage(HDC dc, const RECT& client);

  void PaintBackground(HDC dc, const RECT& client) const;
  void PaintHeading(HDC dc) const;
  void Text(HDC dc, const std::wstring& text, int x, int y, COLORREF color, int style,
            bool underline = false, int width = 0, int height = 0) const;
  const PageFonts& fonts() const { return fonts_; }
  const std::wstring& heading() const { return heading_; }
  // Background colour at a place of the page (the panel or white).
  virtual COLORREF BackgroundAt(const RECT& rect) const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  HBRUSH ControlBrush(HDC dc, HWND control);

  int templateId_;
  const PageFonts& fonts_;
  HWND hwnd_ = nullptr;
  std::wstring heading_;
  HBRUSH panelBrush_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
};

// Places every control of a dialog at its template's numbers taken as pixels,
// and sizes the dialog likewise unless keepSize. Returns false when the
// template cannot be read (the dialog then keeps the system's layout).
bool PlaceFromTemplate(HWND dialog, int templateId, HINSTANCE module, bool keepSize);

}  // namespace velkor
