#include "ui/pages/global_ui.hpp"

#include <map>
#include <vector>

#include "platform/gdi_handles.hpp"
#include "ui/controls/text_fit.hpp"
#include "ui/controls/skin_control.hpp"
#include "ui/page_text_style.hpp"
#include "ui/template_layout.hpp"

namespace velkor {

namespace {

constexpr RECT kPanel{6, 12, 6 + 736, 12 + 138};
constexpr int kSeparatorTop = 43;
constexpr int kSeparatorBottom = 173;

HBITMAP SkinBitmap(int resourceId) {
  static std::map<int, UniqueGdiObject> cache;
  auto found = cache.find(resourceId);
  if (found == cache.end()) {
    UniqueGdiObject bitmap(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP,
                                      0, 0, LR_CREATEDIBSECTION));
    found = cache.emplace(resourceId, std::move(bitmap)).first;
  }
  return static_cast<HBITMAP>(found->second.get());
}

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t className[64] = {};
  GetClassNameW(hwnd, className, 64);
  return lstrcmpiW(className, name) == 0;
}

}  // namespace

CMemDC1::CMemDC1(HDC target, const RECT& rect)
    : target_(target),
      rect_(rect),
      memory_(CreateCompatibleDC(target)),
      bitmap_(CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top)) {
  if (!memory_ || !bitmap_) {
    // Without memory for the off-screen copy, draw directly (flicker beats nothing).
    memory_.reset();
    return;
  }
  selected_.emplace(memory_.get(), bitmap_.get());
  SetViewportOrgEx(memory_.get(), -rect.left, -rect.top, nullptr);
}

CMemDC1::~CMemDC1() {
  if (!memory_) return;
  SetViewportOrgEx(memory_.get(), 0, 0, nullptr);
  BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory_.get(), 0, 0,
         SRCCOPY);
  selected_.reset();
}

void DrawPageText(HDC dc, const PageFonts& fonts, const std::wstring& text, RECT rect, COLORREF color,
                  int style, bool underline, bool thick, HFONT font) {
  const int shared = SharedFontForStyle(style, underline);
  HFONT chosen = shared != 0 ? fonts.SharedFont(shared) : font;
  const SelectedObject selected(dc, chosen);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  const UINT format = FittingTextFormat(dc, rect, text, DT_LEFT | DT_TOP);
  const int passes = thick ? 2 : 1;
  for (int i = 0; i < passes; ++i) {
    RECT copy = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &copy, format);
  }
}

void DrawSkinBitmap(HDC dc, int resourceId, int x, int y, int sourceX, int sourceY, int width, int height) {
  HBITMAP bitmap = SkinBitmap(resourceId);
  if (bitmap == nullptr) return;
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  if (width < 0) width = info.bmWidth - sourceX;
  if (height < 0) height = info.bmHeight - sourceY;
  if (width <= 0 || height <= 0) return;
  CopyBitmap(dc, bitmap, x, y, width, height, sourceX, sourceY);
}

SIZE SkinBitmapSize(int resourceId) {
  SIZE size{0, 0};
  HBITMAP bitmap = SkinBitmap(resourceId);
  BITMAP info{};
  if (bitmap != nullptr && GetObjectW(bitmap, sizeof(info), &info) != 0) size = {info.bmWidth, info.bmHeight};
  return size;
}

bool PlaceFromTemplate(HWND dialog, int templateId, HINSTANCE module, bool keepSize) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), reinterpret_cast<LPCWSTR>(RT_DIALOG));
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (data == nullptr || size == 0) return false;
  TemplateLayout layout;
  if (!ReadTemplateLayout({static_cast<const std::uint8_t*>(data), size}, layout)) return false;
  if (!keepSize) {
    SetWindowPos(dialog, nullptr, 0, 0, layout.dialog.cx, layout.dialog.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const TemplateItem& item : layout.items) {
    HWND control = GetDlgItem(dialog, static_cast<int>(item.id));
    if (control == nullptr) continue;
    SetWindowPos(control, nullptr, item.rect.x, item.rect.y, item.rect.cx, item.rect.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

CGlobalUI::~CGlobalUI() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (panelBrush_ != nullptr) DeleteObject(panelBrush_);
  if (whiteBrush_ != nullptr) DeleteObject(whiteBrush_);
}

bool CGlobalUI::Create(HWND parent, HINSTANCE module) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  hwnd_ = CreateDialogParamW(module, MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  // A page answers to its template's number, so that it can be found like a
  // control of the main window (a pop-up's id slot holds its menu: left alone).
  if (hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    SetWindowLongPtrW(hwnd_, GWLP_ID, templateId_);
  }
  return hwnd_ != nullptr;
}

COLORREF CGlobalUI::BackgroundAt(const RECT& rect) const {
  const bool inPanel = rect.left >= kPanel.left && rect.right <= kPanel.right && rect.top >= kPanel.top &&
                       rect.bottom <= kPanel.bottom;
  return inPanel ? kPanelColor : RGB(255, 255, 255);
}

void CGlobalUI::PaintBackground(HDC dc, const RECT& client) const {
  const UniqueGdiObject white(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dc, &client, static_cast<HBRUSH>(white.get()));
  const UniqueGdiObject panel(CreateSolidBrush(kPanelColor));
  const UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(196, 222, 236)));
  const SelectedObject brush(dc, panel.get());
  {
    const SelectedObject pen(dc, edge.get());
    RoundRect(dc, kPanel.left, kPanel.top, kPanel.right, kPanel.bottom, 12, 12);
  }
  const UniqueGdiObject line(CreatePen(PS_SOLID, 1, RGB(190, 214, 230)));
  const SelectedObject pen(dc, line.get());
  for (int y : {kSeparatorTop, kSeparatorBottom}) {
    MoveToEx(dc, kPanel.left + 10, y, nullptr);
    LineTo(dc, kPanel.right - 10, y);
  }
}

void CGlobalUI::PaintHeading(HDC dc) const {
  if (!heading_.empty()) Text(dc, heading_, 23, 21, kHeadingColor, 3);
}

void CGlobalUI::Text(HDC dc, const std::wstring& text, int x, int y, COLORREF color, int style, bool underline,
                     int width, int height) const {
  RECT rect{x, y, width > 0 ? x + width : kPageWidth - 8, height > 0 ? y + height : y + 60};
  DrawPageText(dc, fonts_, text, rect, color, style, underline);
}

void CGlobalUI::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
}

HBRUSH CGlobalUI::ControlBrush(HDC dc, HWND control) {
  // Read-only edit fields keep their white face.
  if (IsClass(control, L"Edit")) {
    if (whiteBrush_ == nullptr) whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
    SetBkColor(dc, RGB(255, 255, 255));
    return whiteBrush_;
  }
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
  const COLORREF color = BackgroundAt(rect);
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, color);
  SetTextColor(dc, kDarkText);
  if (color == kPanelColor) {
    if (panelBrush_ == nullptr) panelBrush_ = CreateSolidBrush(kPanelColor);
    return panelBrush_;
  }
  if (whiteBrush_ == nullptr) whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
  return whiteBrush_;
}

INT_PTR CGlobalUI::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;  // the paint covers everything
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd_, &paint);
      RECT client{};
      GetClientRect(hwnd_, &client);
      {
        CMemDC1 memory(dc, client);
        PaintPage(memory.dc(), client);
      }
      EndPaint(hwnd_, &paint);
      return TRUE;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      PaintPage(reinterpret_cast<HDC>(wParam), client);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(ControlBrush(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      LRESULT result = 0;
      if (ReflectOwnerDraw(hwnd_, message, wParam, lParam, result)) return TRUE;
      break;
    }
    case WM_SHOWWINDOW:
      OnShown(wParam != FALSE);
      break;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
      break;
    default:
      break;
  }
  handled = false;
  return OnPageMessage(message, wParam, lParam, handled);
}

INT_PTR CALLBACK CGlobalUI::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* page = reinterpret_cast<CGlobalUI*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    page->hwnd_ = hwnd;
    PlaceFromTemplate(hwnd, page->templateId_, nullptr, false);
    // Labels and buttons of the pages use the small body font.
    if (HFONT body = page->fonts_.SharedFont(5)) {
      for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(body), FALSE);
      }
    }
    page->OnInitPage();
    return TRUE;
  }
  auto* page = reinterpret_cast<CGlobalUI*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (page == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    page->hwnd_ = nullptr;
    return FALSE;
  }
  bool handled = false;
  const INT_PTR result = page->HandleMessage(message, wParam, lParam, handled);
  if (!handled) return FALSE;
  // Messages with a meaningful return value go back through DWLP_MSGRESULT.
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) return result;
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace velkor
