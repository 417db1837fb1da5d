#include "ui/controls/fancy_list_ctrl.hpp"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "platform/gdi_handles.hpp"
#include "ui/controls/picture_buttons.hpp"

namespace velkor {

namespace {

constexpr COLORREF kRowBackground = RGB(255, 255, 255);
constexpr COLORREF kSeparator = RGB(204, 204, 204);
constexpr COLORREF kFocusedRow = RGB(255, 242, 242);
constexpr COLORREF kText = RGB(9, 18, 27);
constexpr COLORREF kLink = RGB(0, 90, 190);
constexpr std::size_t kDescriptionLimit = 45;

UniqueGdiObject ListFont(int height, int weight, bool underline, const wchar_t* face) {
  return UniqueGdiObject(CreateFontW(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

int TextHeight(HDC dc, HGDIOBJ font) {
  const SelectedObject selected(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight;
}

COLORREF StatusColor(const std::wstring& word) {
  if (word == L"Installation Required") return RGB(0, 0, 255);
  if (word == L"Up to Date") return RGB(34, 34, 34);
  return RGB(171, 0, 0);
}

}  // namespace

std::wstring CutDescription(const std::wstring& text) {
  if (text.size() <= kDescriptionLimit) return text;
  return text.substr(0, kDescriptionLimit) + L"...";
}

void CFancyListCtrl::Prepare() {
  tahoma_ = ListFont(-11, FW_NORMAL, false, L"Tahoma");
  face_ = ListFont(-12, FW_NORMAL, false, SkinFaceName().c_str());
  bold_ = ListFont(-11, FW_BOLD, false, L"Tahoma");
  // Regular weight: "Download" fits the narrow status column whole.
  link_ = ListFont(-11, FW_NORMAL, true, L"Tahoma");
  {
    const WindowDc dc(hwnd());
    rowHeight_ = std::max({TextHeight(dc.get(), tahoma_.get()), TextHeight(dc.get(), face_.get()), 16}) + 8;
  }
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(tahoma_.get()), FALSE);
  SendMessageW(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP,
               LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
  // The list asks for its row height when its size changes.
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(hwnd(), nullptr, 0, 0, width, height + 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CFancyListCtrl::AddColumn(const wchar_t* title, int width) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  const int index = header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title);
  column.cx = width;
  column.iSubItem = index;
  const int inserted = static_cast<int>(SendMessageW(hwnd(), LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
  if (inserted >= 0) {
    if (addedWidths_.size() <= static_cast<std::size_t>(inserted)) addedWidths_.resize(static_cast<std::size_t>(inserted) + 1);
    addedWidths_[static_cast<std::size_t>(inserted)] = width;
  }
  return inserted;
}

void CFancyListCtrl::StretchLastColumn() {
  if (addedWidths_.empty()) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int last = static_cast<int>(addedWidths_.size()) - 1;
  int used = 0;
  for (int column = 0; column < last; ++column) {
    used += static_cast<int>(SendMessageW(hwnd(), LVM_GETCOLUMNWIDTH, column, 0));
  }
  const int width = client.right - used - GetSystemMetrics(SM_CXVSCROLL);
  if (width > addedWidths_.back()) SendMessageW(hwnd(), LVM_SETCOLUMNWIDTH, last, MAKELPARAM(width, 0));
}

int CFancyListCtrl::InsertRow(int row, const std::wstring& text, LPARAM data, int image) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.lParam = data;
  item.iImage = image;
  return static_cast<int>(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void CFancyListCtrl::SetCell(int row, int column, const std::wstring& text, int image) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.iImage = image;
  SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CFancyListCtrl::SetColumnBitmap(int column, int resourceId, HINSTANCE module) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  UniqueGdiObject bitmap(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap) columnBitmaps_[column] = std::move(bitmap);
}

bool CFancyListCtrl::HitTest(POINT point, int& row, int& column) const {
  LVHITTESTINFO hit{};
  hit.pt = point;
  if (SendMessageW(hwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0) return false;
  row = hit.iItem;
  column = hit.iSubItem;
  return true;
}

LPARAM CFancyListCtrl::RowData(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.lParam;
}

void CFancyListCtrl::SetRowData(int row, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CFancyListCtrl::DeleteAllRows() { SendMessageW(hwnd(), LVM_DELETEALLITEMS, 0, 0); }

void CFancyListCtrl::DrawCell(HDC dc, int row, int column, RECT cell, LPARAM data) {
  const auto picture = columnBitmaps_.find(column);
  if (picture != columnBitmaps_.end()) {
    if (data == -1) return;
    BITMAP info{};
    GetObjectW(picture->second.get(), sizeof(info), &info);
    const BitmapSource source(dc, static_cast<HBITMAP>(picture->second.get()));
    int pictureWidth = cell.right - cell.left;
    if (static_cast<std::size_t>(column) < addedWidths_.size() && addedWidths_[static_cast<std::size_t>(column)] > 0) {
      pictureWidth = std::min(pictureWidth, addedWidths_[static_cast<std::size_t>(column)]);
    }
    const int x = cell.left + (pictureWidth - info.bmWidth) / 2;
    const int y = cell.top + (cell.bottom - cell.top - info.bmHeight) / 2;
    if (source) {
      GdiTransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, source.dc(), 0, 0, info.bmWidth, info.bmHeight,
                        RGB(255, 255, 255));
    }
    return;
  }
  wchar_t text[512] = {};
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = static_cast<int>(std::size(text));
  item.iImage = -1;
  SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));

  cell.left += 4;
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  if (images != nullptr && item.iImage >= 0) {
    int width = 16, height = 16;
    ImageList_GetIconSize(images, &width, &height);
    ImageList_Draw(images, item.iImage, dc, cell.left, cell.top + (cell.bottom - cell.top - height) / 2,
                   ILD_TRANSPARENT);
    cell.left += width + 4;
  }
  std::wstring shown = text;
  HGDIOBJ font = tahoma_.get();
  COLORREF color = kText;
  if (column == 0) {
    shown = CutDescription(shown);
    if (data == -1) font = bold_.get();  // category rows
  } else if (column == statusColumn_) {
    color = StatusColor(shown);
    font = bold_.get();
  } else if (column == linkColumn_ && data != -1) {
    color = kLink;
    font = link_.get();
  }
  const SelectedObject selected(dc, font);
  SetTextColor(dc, color);
  // A link word is never cut: the narrow action column lets it run into the
  // empty left margin of the column beside it.
  const bool link = column == linkColumn_ && data != -1;
  if (link) cell.left -= 2;
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &cell,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (link ? DT_NOCLIP : DT_END_ELLIPSIS));
}

void CFancyListCtrl::Draw(const DRAWITEMSTRUCT& item) {
  const int row = static_cast<int>(item.itemID);
  RECT rect = item.rcItem;
  const bool focused =
      (SendMessageW(hwnd(), LVM_GETITEMSTATE, row, LVIS_FOCUSED) & LVIS_FOCUSED) != 0 ||
      (item.itemState & ODS_FOCUS) != 0;
  const UniqueGdiObject fill(CreateSolidBrush(focused && item.itemData != 1 ? kFocusedRow : kRowBackground));
  FillRect(item.hDC, &rect, static_cast<HBRUSH>(fill.get()));
  SetBkMode(item.hDC, TRANSPARENT);

  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  const int columns = header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  int left = rect.left;
  for (int column = 0; column < columns; ++column) {
    const int width = static_cast<int>(SendMessageW(hwnd(), LVM_GETCOLUMNWIDTH, column, 0));
    RECT cell{left, rect.top, left + width, rect.bottom - 1};
    DrawCell(item.hDC, row, column, cell, static_cast<LPARAM>(item.itemData));
    left += width;
  }
  const UniqueGdiObject line(CreatePen(PS_SOLID, 1, kSeparator));
  const SelectedObject pen(item.hDC, line.get());
  MoveToEx(item.hDC, rect.left, rect.bottom - 1, nullptr);
  LineTo(item.hDC, rect.right, rect.bottom - 1);
}

LRESULT CFancyListCtrl::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
  switch (message) {
    case kMsgReflectDrawItem:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      handled = true;
      return TRUE;
    case kMsgReflectMeasureItem:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(rowHeight_);
      handled = true;
      return TRUE;
    default:
      break;
  }
  return 0;
}

}  // namespace velkor
