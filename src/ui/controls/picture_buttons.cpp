#include "ui/controls/picture_buttons.hpp"

#include <utility>

#include "platform/gdi_handles.hpp"

namespace velkor {

namespace {

std::wstring& FaceNameSlot() {
  static std::wstring face = L"Tahoma";
  return face;
}

UniqueGdiObject MakeFont(int height, int weight, bool underline, const std::wstring& face) {
  return UniqueGdiObject(CreateFontW(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

void DrawCaption(HDC dc, const std::wstring& text, RECT rect, HFONT font, COLORREF color, UINT format) {
  const SelectedObject selected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

}  // namespace

const std::wstring& SkinFaceName() { return FaceNameSlot(); }
void SetSkinFaceName(std::wstring faceName) {
  if (!faceName.empty()) FaceNameSlot() = std::move(faceName);
}

bool CHoverButton::LoadStrip(int resourceId, HINSTANCE module) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  UniqueGdiObject strip(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0,
                                   LR_LOADMAP3DCOLORS));
  return SetStrip(std::move(strip));
}

bool CHoverButton::SetStrip(UniqueGdiObject strip) {
  BITMAP info{};
  if (!strip || GetObjectW(strip.get(), sizeof(info), &info) == 0) return false;
  strip_ = std::move(strip);
  frameWidth_ = StripFrameWidth(info.bmWidth, frameCount_);
  frameHeight_ = info.bmHeight;
  if (hwnd() != nullptr) {
    SetWindowPos(hwnd(), nullptr, 0, 0, frameWidth_, frameHeight_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
  return true;
}

void CHoverButton::SetStickyHover(bool sticky) {
  if (sticky_ == sticky) return;
  sticky_ = sticky;
  Invalidate();
}

ButtonLook CHoverButton::LookOf(const DRAWITEMSTRUCT& item) const {
  ButtonLook look;
  look.pressed = (item.itemState & ODS_SELECTED) != 0;
  look.disabled = (item.itemState & ODS_DISABLED) != 0;
  look.focused = (item.itemState & ODS_FOCUS) != 0;
  look.hovered = hover_.hovered();
  look.sticky = sticky_;
  return look;
}

int CHoverButton::ChooseFrame(const DRAWITEMSTRUCT& item) {
  const ButtonLook look = LookOf(item);
  const int frame = FrameForHoverButton(look);
  // The hover look lasts for one paint; the next hover notice brings it back.
  if (!look.pressed && look.hovered) ClearHover();
  return frame;
}

void CHoverButton::Draw(const DRAWITEMSTRUCT& item) {
  const RECT rect = item.rcItem;
  const int frame = ChooseFrame(item);
  lastFrame_ = frame;
  if (strip_ && frameWidth_ > 0 && frame < frameCount_) {
    CopyBitmap(item.hDC, static_cast<HBITMAP>(strip_.get()), rect.left, rect.top, frameWidth_, frameHeight_,
               frame * frameWidth_, 0);
  }
  DrawOver(item.hDC, rect, item);
}

LRESULT CHoverButton::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
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
      // The frame covers the whole button.
      handled = true;
      return TRUE;
    default:
      break;
  }
  return 0;
}

void CCustomHoverButton::SetLatched(bool latched) {
  if (latched_ == latched) return;
  latched_ = latched;
  Invalidate();
}

void CCustomHoverButton::SetCaption(bool caption, bool darkCaption) {
  caption_ = caption;
  darkCaption_ = darkCaption;
  Invalidate();
}

int CCustomHoverButton::ChooseFrame(const DRAWITEMSTRUCT& item) {
  ButtonLook look = LookOf(item);
  look.latched = latched_;
  return FrameForCustomHoverButton(look);
}

void CCustomHoverButton::DrawOver(HDC dc, const RECT& rect, const DRAWITEMSTRUCT&) {
  if (!caption_) return;
  static UniqueGdiObject font;
  static std::wstring fontFace;
  if (!font || fontFace != SkinFaceName()) {
    font = MakeFont(15, FW_BOLD, false, SkinFaceName());
    fontFace = SkinFaceName();
  }
  RECT textRect = rect;
  textRect.top += 7;
  const COLORREF color = (latched_ && !darkCaption_) ? RGB(255, 255, 255) : RGB(0, 0, 0);
  DrawCaption(dc, WindowText(hwnd()), textRect, static_cast<HFONT>(font.get()), color,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

int CHoverButton4S::ChooseFrame(const DRAWITEMSTRUCT& item) {
  const ButtonLook look = LookOf(item);
  const int frame = FrameForHoverButton4S(look);
  if (!look.disabled && !look.pressed && look.hovered) ClearHover();
  return frame;
}

void CHoverButton4SWithText::SetStyle(const Style& style) {
  style_ = style;
  Invalidate();
}

void CHoverButton4SWithText::DrawOver(HDC dc, const RECT& rect, const DRAWITEMSTRUCT& item) {
  const std::wstring text = WindowText(hwnd());
  if (text.empty()) return;
  // ChooseFrame has already consumed the one-paint hover flag; the frame it
  // chose tells whether this paint is a hover paint.
  const bool hot = lastFrame() == kFrameHover && (item.itemState & ODS_DISABLED) == 0;
  RECT textRect{rect.left, rect.top, rect.left + (style_.big ? 200 : 145),
                rect.top + (style_.big ? 45 : 36)};
  int height = style_.big ? 38 : 20;
  if (text.size() > 10) {
    textRect.left -= 10;
    height = 17;
  }
  int weight = style_.bold ? FW_BOLD : FW_SEMIBOLD;
  bool underline = false;
  COLORREF color = RGB(243, 248, 250);
  if (hot) {
    color = RGB(243, 250, 251);
    underline = style_.underlineOnHover;
    if (style_.boldOnHover) weight = FW_BOLD;
  }
  const UniqueGdiObject font = MakeFont(height, weight, underline, SkinFaceName());
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (style_.shadow) {
    RECT shadowRect = textRect;
    OffsetRect(&shadowRect, 1, 1);
    DrawCaption(dc, text, shadowRect, static_cast<HFONT>(font.get()), RGB(189, 198, 207), format);
  }
  DrawCaption(dc, text, textRect, static_cast<HFONT>(font.get()), color, format);
}

}  // namespace velkor
