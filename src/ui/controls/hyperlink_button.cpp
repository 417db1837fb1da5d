#include "ui/controls/hyperlink_button.hpp"

#include <iterator>
#include <string>

#include "platform/gdi_handles.hpp"
#include "ui/controls/text_fit.hpp"
#include "platform/unique_handle.hpp"
#include "ui/controls/picture_buttons.hpp"

namespace velkor {
namespace {

UniqueGdiObject MakeLinkFont(bool bold, const std::wstring& face) {
  return UniqueGdiObject(CreateFontW(-11, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, TRUE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

// Fonts shared by every link: regular and bold, in the skin's face and in
// Tahoma (the face every system has), made once.
HFONT SharedLinkFont(bool bold) {
  static UniqueGdiObject fonts[4];
  static std::wstring faces[2];
  const bool tahoma = SkinFaceName() == L"Tahoma";
  const int slot = (tahoma ? 2 : 0) + (bold ? 1 : 0);
  if (!fonts[slot] || (!tahoma && faces[0] != SkinFaceName())) {
    if (!tahoma) faces[0] = SkinFaceName();
    fonts[slot] = MakeLinkFont(bold, SkinFaceName());
  }
  return static_cast<HFONT>(fonts[slot].get());
}

}  // namespace

void ChyperlinkBtn::SetColors(const Colors& colors) {
  colors_ = colors;
  Invalidate();
}
void ChyperlinkBtn::SetBold(bool bold) {
  bold_ = bold;
  Invalidate();
}
void ChyperlinkBtn::SetCentredMultiline(bool centred) {
  centred_ = centred;
  Invalidate();
}
void ChyperlinkBtn::SetUseSharedFonts(bool shared) { sharedFonts_ = shared; }
void ChyperlinkBtn::SetText(const wchar_t* text) {
  if (hwnd() != nullptr) SetWindowTextW(hwnd(), text);
  Invalidate();
}

void ChyperlinkBtn::Draw(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  const UniqueGdiObject background(CreateSolidBrush(colors_.background));
  FillRect(item.hDC, &rect, static_cast<HBRUSH>(background.get()));

  COLORREF color = colors_.normal;
  if (item.itemState & ODS_DISABLED) {
    color = RGB(72, 72, 72);
  } else if (item.itemState & ODS_SELECTED) {
    color = colors_.pressed;
    OffsetRect(&rect, 1, 2);
  } else if (hover_.hovered()) {
    color = colors_.hovered;
    OffsetRect(&rect, 1, 1);
  }

  UniqueGdiObject ownFont;
  HFONT font = nullptr;
  if (sharedFonts_) {
    font = SharedLinkFont(bold_);
  } else {
    ownFont = MakeLinkFont(bold_, SkinFaceName());
    font = static_cast<HFONT>(ownFont.get());
  }
  wchar_t text[512] = {};
  GetWindowTextW(hwnd(), text, static_cast<int>(std::size(text)));
  const SelectedObject selected(item.hDC, font);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, color);
  // A link that does not fit its box ends in an ellipsis, never a cut letter.
  const UINT format = centred_ ? FittingTextFormat(item.hDC, rect, text, DT_CENTER | DT_VCENTER)
                               : FittingTextFormat(item.hDC, rect, text, DT_LEFT | DT_VCENTER, TextLines::One);
  DrawTextW(item.hDC, text, -1, &rect, format);
}

LRESULT ChyperlinkBtn::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
  switch (message) {
    case kMsgReflectDrawItem:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      handled = true;
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_SETCURSOR:
      return hover_.HandleMessage(hwnd(), message, handled);
    case WM_ERASEBKGND:
      handled = true;
      return TRUE;
    default:
      break;
  }
  return 0;
}

}  // namespace velkor
