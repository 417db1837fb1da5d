#include "ui/pages/result_page.hpp"

#include <commctrl.h>

#include "base/text.hpp"
#include "download/file_md5.hpp"
#include "lookup/result_rows.hpp"
#include "ui/chart_heights.hpp"
#include "ui/resources/ui_resource_ids.h"
#include "ui/pages/work_pages.hpp"

namespace velkor {

namespace {

constexpr COLORREF kOutOfDateColor = RGB(209, 7, 45);
constexpr COLORREF kUpToDateColor = RGB(64, 97, 44);
constexpr COLORREF kAttentionColor = RGB(243, 14, 17);
constexpr int kStatusImageOutOfDate = 0;
constexpr int kStatusImageUpToDate = 1;
constexpr int kLegendTop = 392;
constexpr int kLegendStep = 17;

// The action a device row offers: download its package, or install it once it
// is here (nothing once installed).
const wchar_t* StatusWord(int kind) {
  if (kind == kRowInstall) return L"Install";
  return kind == kRowDownload ? L"Download" : L"";
}

const int kLabelIds[] = {IDC_RESULT_START_TIME, IDC_RESULT_ELAPSED_TIME, IDC_RESULT_DEVICES_SCANNED,
                         IDC_RESULT_OUT_OF_DATE, IDC_RESULT_UP_TO_DATE};

}  // namespace

CScanResultDlg::CScanResultDlg(const PageFonts& fonts, CTextTable& texts, ResultPageLinks links,
                               ResultPageActions actions)
    : CGlobalUI(IDD_SCAN_RESULT, fonts), m_Texts(texts), m_Links(links), m_Actions(std::move(actions)) {
  SetHeading(m_Texts.GetText(L"IDS_HOME3_RESULT_HEADING"));
}

void CScanResultDlg::OnInitPage() {
  SkinActionButton(m_DownloadAll, hwnd(), IDC_RESULT_DOWNLOAD_ALL);
  SkinActionButton(m_InstallAll, hwnd(), IDC_RESULT_INSTALL_ALL);
  for (std::size_t i = 0; i < std::size(kLabelIds); ++i) {
    m_Labels[i].Attach(hwnd(), kLabelIds[i]);
    m_Labels[i].SetTextColor(kDarkText);
  }
  if (HFONT bold = fonts().SharedFont(6)) {
    SendDlgItemMessageW(hwnd(), IDC_RESULT_OUT_OF_DATE, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
    SendDlgItemMessageW(hwnd(), IDC_RESULT_UP_TO_DATE, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  }
  m_Labels[3].SetTextColor(kOutOfDateColor);
  m_Labels[4].SetTextColor(kUpToDateColor);
  if (m_List.Attach(hwnd(), IDC_RESULT_LIST)) {
    m_List.Prepare();
    m_List.AddColumn(L"Drivers Description", 296);
    m_List.AddColumn(L"Status", 55);
    m_List.AddColumn(L"", 40);
    m_List.AddColumn(L"Report Feedback", 40);
    m_List.StretchLastColumn();
    m_List.SetLinkColumn(kResultColumnStatus);
    m_List.SetColumnBitmap(kResultColumnDetails, IDB_DETAILS_ICON);
    m_List.SetColumnBitmap(kResultColumnFeedback, IDB_FEEDBACK_ICON);
    // The system's class images; the list only borrows them (LVS_SHAREIMAGELISTS).
    if (m_Links.classImages != nullptr && m_Links.classImages->Images() != nullptr) {
      SendMessageW(m_List.hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL,
                   reinterpret_cast<LPARAM>(m_Links.classImages->Images()));
    }
  }
  m_StatusImages = LoadImageStrip(IDB_STATUS_IMAGES, 14, 14, RGB(255, 0, 255));
  EnableWindow(m_DownloadAll.hwnd(), FALSE);
  EnableWindow(m_InstallAll.hwnd(), FALSE);
}

void CScanResultDlg::PopulateResults() {
  ScanResult& scan = m_Links.scan;
  scan.m_strShownDevices.clear();
  m_List.DeleteAllRows();
  scan.m_RowToDevice.clear();
  scan.m_Rows.clear();

  const StringMap& downloads = m_Links.downloadList;
  ResultRows rows = BuildResultRows(scan.m_UpdateList, scan.Updates(), scan.m_bScanFinished.load(),
                                    scan.m_nUpdateCount,
                                    [&downloads](const DeviceRecord& update) { return PackageReady(downloads, update); });

  int index = 0;
  for (const ResultRow& row : rows.rows) {
    int image = -1;
    if (m_Links.classImages != nullptr) {
      if (const DeviceRecord* device = scan.m_Devices.Slot(row.device)) {
        image = m_Links.classImages->IndexOf(ClassGuidOfDriverKey(device->DriverKey));
      }
    }
    const int inserted = m_List.InsertRow(index, row.text, row.kind, image);
    if (inserted >= 0 && row.kind != kRowCategory) m_List.SetCell(inserted, kResultColumnStatus, StatusWord(row.kind));
    ++index;
  }
  scan.m_Rows = std::move(rows.rows);
  scan.m_RowToDevice = std::move(rows.rowToDevice);
  scan.m_strShownDevices = std::move(rows.shownDevices);
  InvalidateRect(m_List.hwnd(), nullptr, TRUE);
  UpdateWindow(m_List.hwnd());
}

void CScanResultDlg::SetRowKind(int row, int kind) {
  ScanResult& scan = m_Links.scan;
  if (row < 0 || static_cast<std::size_t>(row) >= scan.m_Rows.size()) return;
  ResultRow& shown = scan.m_Rows[static_cast<std::size_t>(row)];
  if (shown.kind == kRowCategory) return;
  shown.kind = kind;
  m_List.SetRowData(row, kind);
  m_List.SetCell(row, kResultColumnStatus, StatusWord(kind));
  SendMessageW(m_List.hwnd(), LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
  UpdateWindow(m_List.hwnd());
}

bool CScanResultDlg::OnCommand(int id, int code) {
  if (id != IDC_RESULT_DOWNLOAD_ALL || code != BN_CLICKED) return false;
  if (m_Actions.downloadAll && IsWindowEnabled(m_DownloadAll.hwnd())) m_Actions.downloadAll();
  return true;
}

void CScanResultDlg::OnShown(bool visible) {
  if (visible) {
    const ScanResult& scan = m_Links.scan;
    const std::int32_t devices = scan.m_nDeviceCount;
    const std::int32_t updates = scan.m_nUpdateCount;
    SetDlgItemTextW(hwnd(), IDC_RESULT_START_TIME, scan.m_strScanStartTime.c_str());
    SetDlgItemTextW(hwnd(), IDC_RESULT_ELAPSED_TIME, scan.m_strScanDuration.c_str());
    SetDlgItemTextW(hwnd(), IDC_RESULT_DEVICES_SCANNED, scan.m_strScanTotal.c_str());
    SetDlgItemTextW(hwnd(), IDC_RESULT_OUT_OF_DATE, std::to_wstring(updates).c_str());
    SetDlgItemTextW(hwnd(), IDC_RESULT_UP_TO_DATE, std::to_wstring(devices - updates).c_str());
    EnableWindow(m_DownloadAll.hwnd(), updates > 0);
    EnableWindow(m_InstallAll.hwnd(), updates > 0);
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  if (m_OnVisibility) m_OnVisibility(visible);
}

INT_PTR CScanResultDlg::OnPageMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
  if (message != WM_NOTIFY) return 0;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->hwndFrom != m_List.hwnd() || header->code != NM_CLICK) return 0;
  OnListClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction);
  handled = true;
  return 0;
}

void CScanResultDlg::OnListClick(POINT point) {
  int row = -1, column = -1;
  if (!m_List.HitTest(point, row, column)) return;
  const ScanResult& scan = m_Links.scan;
  if (row < 0 || static_cast<std::size_t>(row) >= scan.m_Rows.size()) return;
  const int kind = scan.m_Rows[static_cast<std::size_t>(row)].kind;
  // Category rows have no actions.
  if (kind == kRowCategory || column == kResultColumnDescription) return;
  const std::int32_t device = scan.DeviceOfRow(row);
  switch (column) {
    case kResultColumnStatus:
      if (kind == kRowDownload && device >= 0 && m_Actions.download) m_Actions.download(device, row);
      if (kind == kRowInstall && m_Actions.install) m_Actions.install(row);
      break;
    case kResultColumnDetails:
      if (device >= 0 && m_Actions.details) m_Actions.details(device);
      break;
    case kResultColumnFeedback:
      if (m_Actions.feedback) m_Actions.feedback();
      break;
    default:
      break;
  }
}

void CScanResultDlg::PaintChart(HDC dc) const {
  DrawSkinBitmap(dc, IDB_CHART_BACK, 444, 37);
  const BarHeights bars = ResultChartHeights(m_Links.scan.m_nDeviceCount, m_Links.scan.m_nUpdateCount);
  if (bars.outOfDate > 0) {
    DrawSkinBitmap(dc, IDB_BAR_OUT_OF_DATE, kHomeChartOutOfDateX, kHomeChartBaseY - bars.outOfDate, 0, 0, 20,
                   bars.outOfDate);
  }
  if (bars.upToDate > 0) {
    DrawSkinBitmap(dc, IDB_BAR_UP_TO_DATE, kHomeChartUpToDateX, kHomeChartBaseY - bars.upToDate, 0, 0, 20,
                   bars.upToDate);
  }
}

void CScanResultDlg::PaintLegend(HDC dc) const {
  struct Line {
    int statusImage;  // -1: the details icon
    const wchar_t* text;
  };
  const Line lines[] = {{kStatusImageOutOfDate, L"Your driver is out of date."},
                        {kStatusImageUpToDate, L"Your driver is up to date."},
                        {-1, L"View more information."}};
  int y = kLegendTop;
  for (const Line& line : lines) {
    if (line.statusImage >= 0) {
      if (m_StatusImages) ImageList_Draw(m_StatusImages.get(), line.statusImage, dc, 24, y + 1, ILD_TRANSPARENT);
    } else {
      DrawSkinBitmap(dc, IDB_DETAILS_ICON, 23, y);
    }
    Text(dc, line.text, 44, y + 1, kDarkText, 4, false, 320, 16);
    y += kLegendStep;
  }
}

void CScanResultDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  Text(dc, m_Texts.GetText(L"IDS_HOME3_START_TIME") + L":", 23, 56, kDarkText, 4, false, 140, 16);
  Text(dc, m_Texts.GetText(L"IDS_HOME3_ELAPSED_TIME") + L":", 23, 76, kDarkText, 4, false, 140, 16);
  Text(dc, m_Texts.GetText(L"IDS_HOME3_DEVICES_SCANNED") + L":", 23, 96, kDarkText, 4, false, 140, 16);
  Text(dc, L"ATTENTION", 578, 28, kAttentionColor, 2, false, 150, 20);
  Text(dc, L" - " + m_Texts.GetText(L"IDS_HOME1_LEGEND_OD"), 585, 52, kOutOfDateColor, 6, false, 150, 16);
  Text(dc, L" - " + m_Texts.GetText(L"IDS_HOME1_LEGEND_UD"), 585, 70, kUpToDateColor, 6, false, 150, 16);
  Text(dc, L"Out of date and missing drivers", 23, 157, kHeadingColor, 4, false, 400, 16);
  PaintChart(dc);
  PaintLegend(dc);
}

}  // namespace velkor
