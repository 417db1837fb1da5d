#pragma once
// The owner-drawn report list of the result, download and restore pages:
// white rows with a thin separator, a soft highlight on the focused row,
// coloured status words and long descriptions cut short.

#include <map>
#include <vector>
#include <string>

#include "platform/unique_handle.hpp"
#include "ui/controls/skin_control.hpp"

namespace velkor {

class CFancyListCtrl : public CSkinControl {
 public:
  // Attach, then Prepare: makes the fonts and has the list measure its rows.
  void Prepare();

  int InsertRow(int row, const std::wstring& text, LPARAM data, int image = -1);
  void SetCell(int row, int column, const std::wstring& text, int image = -1);
  int AddColumn(const wchar_t* title, int width);
  // Widens the last column to the list's free width (the room of a vertical
  // scroll bar kept), so that its header reads whole and the rows' fill and
  // separators reach the list's right edge. A picture column keeps its
  // picture where its own width would centre it.
  void StretchLastColumn();

  // The column whose words are coloured by state, and a column drawn as links.
  void SetStatusColumn(int column) { statusColumn_ = column; }
  void SetLinkColumn(int column) { linkColumn_ = column; }
  // A picture drawn centred in every cell of the column, except on category
  // rows (item data -1): the result list's details and feedback icons. White
  // in the picture lets the row show through.
  void SetColumnBitmap(int column, int resourceId, HINSTANCE module = nullptr);
  int rowHeight() const { return rowHeight_; }
  // The row and column under a client point; false outside every row.
  bool HitTest(POINT point, int& row, int& column) const;
  // Item data of a row (-1 when there is no such row).
  LPARAM RowData(int row) const;
  void SetRowData(int row, LPARAM data);
  void DeleteAllRows();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item);
  void DrawCell(HDC dc, int row, int column, RECT cell, LPARAM data);

  UniqueGdiObject tahoma_;
  UniqueGdiObject face_;
  UniqueGdiObject bold_;
  UniqueGdiObject link_;
  int rowHeight_ = 20;
  int statusColumn_ = -1;
  int linkColumn_ = -1;
  std::map<int, UniqueGdiObject> columnBitmaps_;
  // The width each column was added with (pictures are centred in it).
  std::vector<int> addedWidths_;
};

// Description text as a row shows it: at most 45 characters, else 45 and "...".
std::wstring CutDescription(const std::wstring& text);

}  // namespace velkor
