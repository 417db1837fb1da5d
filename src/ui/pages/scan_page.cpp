#include "ui/pages/scan_page.hpp"

#include <commctrl.h>

#include "inventory/classification.hpp"
#include "inventory/stop_handshake.hpp"
#include "ui/pages/work_pages.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

constexpr int kPhaseX = 590;
constexpr int kPhaseY = 25;
// The device-types panel: two columns of seven rows under its title.
constexpr int kTypesTop = 182;
constexpr int kTypesRowStep = 26;
constexpr int kTypesColumnX[2] = {40, 300};

// Keys of the reports that the next one overwrites: the page's address and the
// report, so that no other page's posts are ever replaced.
enum ScanReport : std::uintptr_t { kReportProgress = 1, kReportDevice };
std::uintptr_t ReportKey(const void* page, ScanReport report) { return reinterpret_cast<std::uintptr_t>(page) + report; }

}  // namespace

CScanProgDlg::CScanProgDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName, ScanPageLinks links)
    : CGlobalUI(IDD_SCAN_PROGRESS, fonts), m_Texts(texts), m_AppName(std::move(appName)), m_Links(links) {
  SetHeading(m_Texts.GetText(L"IDS_HOME2_SCAN_HEADING"));
}

CScanProgDlg::~CScanProgDlg() = default;

void CScanProgDlg::OnInitPage() {
  SkinActionButton(m_Stop, hwnd(), IDC_SCAN_STOP);
  SendDlgItemMessageW(hwnd(), IDC_SCAN_PROGRESS, PBM_SETRANGE32, 0, 100);
  SendDlgItemMessageW(hwnd(), IDC_SCAN_PROGRESS, PBM_SETPOS, 0, 0);
  OpenAnimation();
}

void CScanProgDlg::OpenAnimation() {
  m_bAnimationOpen = SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_OPENW,
                                         reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)),
                                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(IDR_SCAN_ANIMATION))) != 0;
}

void CScanProgDlg::OnShown(bool visible) {
  if (!visible) return;
  m_nScanPhase = 1;
  EnableWindow(m_Stop.hwnd(), TRUE);
  SetFocus(GetDlgItem(hwnd(), IDC_SCAN_STATUS));
  InvalidateRect(hwnd(), nullptr, FALSE);
  StartScan();
}

void CScanProgDlg::StartScan() {
  if (m_pRun == nullptr) return;
  ScanRun* run = m_pRun;
  // Every showing of the page is a new run; the navigation that could show it
  // again stays disabled while one is active.
  m_Links.host.StartWorker([run] {
    ScanOutcome outcome;
    return run->Run(outcome);
  });
}

bool CScanProgDlg::OnCommand(int id, int code) {
  if (id != IDC_SCAN_STOP || code != BN_CLICKED) return false;
  OnStop();
  return true;
}

void CScanProgDlg::OnStop() {
  if (m_pRun == nullptr || !IsWindowEnabled(m_Stop.hwnd())) return;
  ScanRun* run = m_pRun;
  m_Links.host.RequestStop(kStopScan, [run](bool acknowledged) { run->OnStopAnswered(acknowledged); });
  EnableWindow(m_Stop.hwnd(), FALSE);
}

void CScanProgDlg::OnUi(const std::function<void()>& change) {
  m_Links.ui.Invoke([&] {
    if (hwnd() != nullptr) change();
  });
}

void CScanProgDlg::SetStatusText(const std::wstring& text) {
  OnUi([&] { SetDlgItemTextW(hwnd(), IDC_SCAN_STATUS, text.c_str()); });
}

void CScanProgDlg::SetCurrentDeviceText(const std::wstring& text) {
  // One report per listed device: only the newest one needs to be drawn.
  m_Links.ui.Post(ReportKey(this, kReportDevice), [this, text] {
    if (hwnd() != nullptr) SetDlgItemTextW(hwnd(), IDC_SCAN_DEVICE, text.c_str());
  });
}

void CScanProgDlg::SetProgress(int percent) {
  m_Links.ui.Post(ReportKey(this, kReportProgress), [this, percent] {
    if (hwnd() != nullptr) SendDlgItemMessageW(hwnd(), IDC_SCAN_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  });
}

void CScanProgDlg::StartAnimation() {
  OnUi([&] {
    if (!m_bAnimationOpen) OpenAnimation();
    // From the first frame to the last, repeating without end.
    SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  });
}

void CScanProgDlg::StopAnimation() {
  OnUi([&] {
    SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_STOP, 0, 0);
    SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_OPENW, 0, 0);  // closes the clip
    m_bAnimationOpen = false;
  });
}

void CScanProgDlg::SetScanPhase(int phase) {
  OnUi([&] {
    m_nScanPhase = phase;
    const SIZE size = SkinBitmapSize(m_nScanPhase == 2 ? IDB_PHASE_LISTED : IDB_PHASE_LISTING);
    RECT picture{kPhaseX, kPhaseY, kPhaseX + size.cx, kPhaseY + size.cy};
    InvalidateRect(hwnd(), &picture, FALSE);
    UpdateWindow(hwnd());
  });
}

void CScanProgDlg::SetStopEnabled(bool enabled) { OnUi([&] { EnableWindow(m_Stop.hwnd(), enabled); }); }

void CScanProgDlg::FocusStopButton() { OnUi([&] { SetFocus(m_Stop.hwnd()); }); }

void CScanProgDlg::ShowMessage(const std::wstring& text, bool ownedByPage) {
  m_Links.ui.Invoke([&] { MessageBoxW(ownedByPage ? hwnd() : nullptr, text.c_str(), m_AppName.c_str(), MB_OK); });
}

bool CScanProgDlg::AskYesNo(const std::wstring& text) {
  bool yes = false;
  m_Links.ui.Invoke([&] { yes = MessageBoxW(nullptr, text.c_str(), m_AppName.c_str(), MB_YESNO) == IDYES; });
  return yes;
}

void CScanProgDlg::PopulateResults() {
  m_Links.ui.Invoke([this] { m_Links.navigator.PopulateResults(); });
}
void CScanProgDlg::ShowResultPage() {
  m_Links.ui.Invoke([this] { m_Links.navigator.ShowPageOf(PageId::Result); });
}
void CScanProgDlg::ShowHomePage() {
  m_Links.ui.Invoke([this] { m_Links.navigator.ShowPageOf(PageId::Home); });
}
void CScanProgDlg::ShowBackupPage() {
  m_Links.ui.Invoke([this] { m_Links.navigator.ShowPageOf(PageId::Backup); });
}

void CScanProgDlg::PaintDeviceTypes(HDC dc) const {
  HIMAGELIST images = m_Links.classImages != nullptr ? m_Links.classImages->Images() : nullptr;
  for (const DeviceType& type : kDeviceTypes) {
    const int x = kTypesColumnX[type.column == 0 ? 0 : 1];
    const int y = kTypesTop + (type.row - 1) * kTypesRowStep;
    if (images != nullptr) {
      const int image = m_Links.classImages->IndexOf(type.classGuid);
      if (image >= 0) ImageList_Draw(images, image, dc, x, y, ILD_TRANSPARENT);
    }
    std::wstring label = m_Texts.GetText(type.labelKey);
    if (label.empty()) label = type.defaultLabel;
    Text(dc, label, x + 24, y + 1, kDarkText, 4, false, 230, 18);
  }
}

void CScanProgDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  Text(dc, m_Texts.GetText(L"IDS_HOME2_SCAN_HEADING_INFO"), 23, 153, kHeadingColor, 4, false, 700, 18);
  PaintDeviceTypes(dc);
  DrawSkinBitmap(dc, m_nScanPhase == 2 ? IDB_PHASE_LISTED : IDB_PHASE_LISTING, kPhaseX, kPhaseY);
}

}  // namespace velkor
