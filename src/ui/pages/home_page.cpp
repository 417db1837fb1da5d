#include "ui/pages/home_page.hpp"

#include <shellapi.h>

#include "base/text.hpp"
#include "core/settings.hpp"
#include "core/shell_folders.hpp"
#include "inventory/system_information.hpp"
#include "inventory/system_text.hpp"
#include "ui/chart_heights.hpp"
#include "ui/pages/product_links.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

constexpr COLORREF kOutOfDateColor = RGB(209, 7, 45);
constexpr COLORREF kUpToDateColor = RGB(64, 97, 44);
constexpr COLORREF kNotScannedColor = RGB(55, 60, 63);
constexpr COLORREF kAttentionColor = RGB(243, 14, 17);

// Label controls in the order of m_Labels.
constexpr int kLabelIds[10] = {IDC_HOME_SCAN_STATUS, IDC_HOME_OUT_OF_DATE_COUNT, IDC_HOME_UP_TO_DATE_COUNT,
                               IDC_HOME_COMPUTER,    IDC_HOME_OS,                IDC_HOME_MEMORY,
                               IDC_HOME_PROCESSOR,   IDC_HOME_MODEL,             IDC_HOME_LAST_SCAN_DATE,
                               0};

}  // namespace

void OpenWebPage(const wchar_t* url) { ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL); }

void OpenHelpPage() { OpenWebPage((GetProgramModuleFolder() + kHelpFileName).c_str()); }

CWelcomeDlg::CWelcomeDlg(const PageFonts& fonts, CTextTable& texts, const ScanResult& scan,
                         std::function<void()> startScan)
    : CGlobalUI(IDD_HOME, fonts), m_Texts(texts), m_Scan(scan), m_StartScan(std::move(startScan)) {
  m_strOperatingSystem = GetOperatingSystemName();
  m_strTotalMemory = CPhysicalMemoryInfo().TotalText();
  m_strProcessor = CutProcessorName(GetProcessorName());
  m_strModel = GetModelName();
  SetHeading(m_Texts.GetText(L"IDS_HOME1_HEADING"));
}

std::wstring CWelcomeDlg::ScanStatusText() {
  if (!m_Scan.m_strLastScan.empty()) return m_Texts.GetText(L"IDS_HOME1_SCAN_STATUS2") + L" " + m_Scan.m_strLastScan;
  return m_Texts.GetText(L"IDS_HOME1_SCAN_STATUS") + L" ";
}

void CWelcomeDlg::OnInitPage() {
  m_ScanButton.Attach(hwnd(), IDC_HOME_SCAN_BUTTON);
  m_ScanButton.LoadStrip(IDB_SCAN_BUTTON);
  CHoverButton4SWithText::Style big;
  big.big = true;
  big.bold = true;
  big.shadow = true;
  m_ScanButton.SetStyle(big);

  ChyperlinkBtn::Colors onPanel;
  onPanel.background = kPanelColor;
  onPanel.normal = RGB(0, 82, 164);
  onPanel.hovered = RGB(45, 72, 108);
  ChyperlinkBtn::Colors onWhite = onPanel;
  onWhite.background = RGB(255, 255, 255);
  struct Link {
    ChyperlinkBtn& button;
    int id;
    const ChyperlinkBtn::Colors& colors;
  };
  for (const Link& link : {Link{m_StartScanLink, IDC_HOME_START_SCAN_LINK, onPanel},
                           Link{m_OutOfDateLink, IDC_HOME_OUT_OF_DATE_LINK, onPanel},
                           Link{m_ScanNowLink, IDC_HOME_SCAN_NOW_LINK, onWhite},
                           Link{m_WebLink, IDC_HOME_WEB_LINK, onWhite}}) {
    link.button.Attach(hwnd(), link.id);
    link.button.SetColors(link.colors);
  }
  m_StartScanLink.SetText(m_Texts.GetText(L"IDS_HOME1_ALERT_TEXT2").c_str());
  m_OutOfDateLink.SetText(m_Texts.GetText(L"IDS_HOME1_ALERT_TEXT4").c_str());

  for (int i = 0; kLabelIds[i] != 0; ++i) {
    m_Labels[i].Attach(hwnd(), kLabelIds[i]);
    m_Labels[i].SetTextColor(kDarkText);
  }
  // The two counts are drawn in the legend's colours and its bold font.
  if (HFONT bold = fonts().SharedFont(6)) {
    SendDlgItemMessageW(hwnd(), IDC_HOME_OUT_OF_DATE_COUNT, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
    SendDlgItemMessageW(hwnd(), IDC_HOME_UP_TO_DATE_COUNT, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  }
  m_Labels[1].SetTextColor(kOutOfDateColor);
  m_Labels[2].SetTextColor(kUpToDateColor);
  RefreshValues();
}

void CWelcomeDlg::RefreshValues() {
  // The computer can be renamed while the program runs; the rest is read at start.
  SetDlgItemTextW(hwnd(), IDC_HOME_COMPUTER, GetComputerNameText().c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_OS, m_strOperatingSystem.c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_MEMORY, m_strTotalMemory.c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_PROCESSOR, m_strProcessor.c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_MODEL, m_strModel.c_str());
  if (!m_Scan.m_strLastScan.empty()) SetDlgItemTextW(hwnd(), IDC_HOME_LAST_SCAN_DATE, m_Scan.m_strLastScan.c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_SCAN_STATUS, ScanStatusText().c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_OUT_OF_DATE_COUNT, std::to_wstring(m_Scan.m_nHomeOutOfDate).c_str());
  SetDlgItemTextW(hwnd(), IDC_HOME_UP_TO_DATE_COUNT, std::to_wstring(m_Scan.m_nHomeUpToDate).c_str());
}

void CWelcomeDlg::OnShown(bool visible) {
  if (!visible) return;
  RefreshValues();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CWelcomeDlg::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_HOME_SCAN_BUTTON:
    case IDC_HOME_START_SCAN_LINK:
    case IDC_HOME_OUT_OF_DATE_LINK:
    case IDC_HOME_SCAN_NOW_LINK:
      if (m_StartScan) m_StartScan();
      return true;
    case IDC_HOME_WEB_LINK:
      OpenWebPage(kCommercialPageUrl);
      return true;
    default:
      return false;
  }
}

void CWelcomeDlg::PaintChart(HDC dc) const {
  DrawSkinBitmap(dc, IDB_CHART_BACK, 444, 37);
  const BarHeights bars = HomeChartHeights(m_Scan.m_nHomeOutOfDate, m_Scan.m_nHomeUpToDate, m_Scan.m_nHomeTotal);
  const int outImage = bars.placeholders ? IDB_BAR_PLACEHOLDER : IDB_BAR_OUT_OF_DATE;
  const int upImage = bars.placeholders ? IDB_BAR_PLACEHOLDER : IDB_BAR_UP_TO_DATE;
  // A bar is the top part of its image, standing on the base line.
  if (bars.outOfDate > 0) {
    DrawSkinBitmap(dc, outImage, kHomeChartOutOfDateX, kHomeChartBaseY - bars.outOfDate, 0, 0, 20, bars.outOfDate);
  }
  if (bars.upToDate > 0) {
    DrawSkinBitmap(dc, upImage, kHomeChartUpToDateX, kHomeChartBaseY - bars.upToDate, 0, 0, 20, bars.upToDate);
  }
}

void CWelcomeDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_HEADING_INFO"), 23, 86, kDarkText, 4, false, 520, 18);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_ALERT_TEXT1"), 23, 104, kDarkText, 4, false, 47, 18);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_ALERT_TEXT3"), 130, 104, kDarkText, 4, false, 43, 18);
  Text(dc, L"ATTENTION", 578, 28, kAttentionColor, 2, false, 150, 20);
  Text(dc, L" - " + m_Texts.GetText(L"IDS_HOME1_LEGEND_OD"), 585, 52, kOutOfDateColor, 6, false, 150, 16);
  Text(dc, L" - " + m_Texts.GetText(L"IDS_HOME1_LEGEND_UD"), 585, 70, kUpToDateColor, 6, false, 150, 16);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_LEGEND_NS"), 570, 88, kNotScannedColor, 6, false, 160, 16);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_SYSTEM_INFO"), 23, 157, kHeadingColor, 4, false, 300, 16);
  const wchar_t* rows[] = {L"IDS_HOME1_SYS_INFO_PCNAME", L"IDS_HOME1_SYS_INFO_OS", L"IDS_HOME1_SYS_INFO_MEMORY",
                           L"IDS_HOME1_SYS_INFO_PROCESSOR", L"IDS_HOME1_SYS_INFO_MODEL"};
  for (int i = 0; i < 5; ++i) Text(dc, m_Texts.GetText(rows[i]), 23, 191 + 23 * i, kDarkText, 4, false, 125, 18);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_SCAN_INFO"), 395, 157, kHeadingColor, 4, false, 300, 16);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_SUMMARY_DESC1"), 395, 191, kDarkText, 4, false, 115, 18);
  Text(dc, m_Texts.GetText(L"IDS_HOME1_NEWS_WHATS_NEW"), 23, 384, kHeadingColor, 1, false, 100, 20);
  PaintChart(dc);
}

}  // namespace velkor
