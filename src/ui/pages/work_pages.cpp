#include "ui/pages/work_pages.hpp"

#include <commctrl.h>

#include "ui/resources/ui_resource_ids.h"

namespace velkor {

void SkinActionButton(CHoverButton4SWithText& button, HWND page, int id) {
  if (!button.Attach(page, id)) return;
  button.LoadStrip(IDB_ACTION_BUTTON);
  CHoverButton4SWithText::Style style;
  style.bold = true;
  style.underlineOnHover = true;
  button.SetStyle(style);
}

CRestoreDlg::CRestoreDlg(const PageFonts& fonts, CTextTable& texts)
    : CGlobalUI(IDD_RESTORE, fonts), m_Texts(texts) {
  SetHeading(m_Texts.GetText(L"IDS_RESTORE_HEADING"));
}

void CRestoreDlg::OnInitPage() {
  SkinActionButton(m_Load, hwnd(), IDC_RESTORE_LOAD);
  SkinActionButton(m_Start, hwnd(), IDC_RESTORE_START);
  if (m_Tree.Attach(hwnd(), IDC_RESTORE_TREE)) m_Tree.BuildStateImages();
  HWND list = GetDlgItem(hwnd(), IDC_RESTORE_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(L"Select Backup");
  column.cx = 110;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<wchar_t*>(L"Date and time backup");
  column.cx = 380;
  SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  SetDlgItemTextW(hwnd(), IDC_RESTORE_AUTO_REBOOT, m_Texts.GetText(L"IDS_RESTORE_AUTO_REBOOT").c_str());
  SendDlgItemMessageW(hwnd(), IDC_RESTORE_PROGRESS, PBM_SETRANGE32, 0, 100);
}

void CRestoreDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  // The long description fits the panel; the short line heads the list.
  Text(dc, m_Texts.GetText(L"IDS_RESTORE_DESC1"), 23, 52, kDarkText, 4, false, 700, 90);
  Text(dc, m_Texts.GetText(L"IDS_RESTORE_HEADING_INFO"), 23, 157, kHeadingColor, 4, false, 700, 18);
}

}  // namespace velkor
