#include "ui/pages/scan_page.hpp"

#include <commctrl.h>

#include "core/worker_thread.hpp"
#include "inventory/classification.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "ui/pages/work_pages.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

// Private message of the scan page: wParam is the ViewChange to apply.
constexpr UINT kMsgScanView = WM_APP + 0x320;
constexpr int kPhaseX = 590;
constexpr int kPhaseY = 25;
// The device-types panel: two columns of seven rows under its title.
constexpr int kTypesTop = 182;
constexpr int kTypesRowStep = 26;
constexpr int kTypesColumnX[2] = {40, 300};

}  // namespace

CScanProgDlg::CScanProgDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName,
                           const CClassImageList* classImages)
    : CGlobalUI(IDD_SCAN_PROGRESS, fonts), m_Texts(texts), m_AppName(std::move(appName)),
      m_ClassImages(classImages) {
  SetHeading(m_Texts.GetText(L"IDS_HOME2_SCAN_HEADING"));
}

CScanProgDlg::~CScanProgDlg() = default;

void CScanProgDlg::SetRun(ScanRun* run, std::function<void(ScanHandOver)> handOver) {
  m_pRun = run;
  m_HandOver = std::move(handOver);
}

void CScanProgDlg::OnInitPage() {
  SkinActionButton(m_Stop, hwnd(), IDC_SCAN_STOP, true);
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
  m_Worker = StartThread([run] { run->Run(); });
}

bool CScanProgDlg::OnCommand(int id, int code) {
  if (id != IDC_SCAN_STOP || code != BN_CLICKED) return false;
  OnStop();
  return true;
}

void CScanProgDlg::OnStop() {
  if (m_pRun == nullptr || !IsWindowEnabled(m_Stop.hwnd())) return;
  m_pRun->m_bScanStopRequested = true;
  ScanRun* run = m_pRun;
  // The handshake can wait for the inventory; the page must not.
  m_StopThread =
      StartThread([run] { run->RequestStop([] { return TheDriverScannerApp().RequestAbort(kStopScan); }); });
  EnableWindow(m_Stop.hwnd(), FALSE);
}

void CScanProgDlg::SendChange(ViewChange change) {
  if (hwnd() == nullptr) return;
  SendMessageW(hwnd(), kMsgScanView, reinterpret_cast<WPARAM>(&change), 0);
}

INT_PTR CScanProgDlg::OnPageMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
  if (message != kMsgScanView) return 0;
  Apply(*reinterpret_cast<const ViewChange*>(wParam));
  handled = true;
  return 0;
}

void CScanProgDlg::Apply(const ViewChange& change) {
  switch (change.op) {
    case ViewOp::Status:
      SetDlgItemTextW(hwnd(), IDC_SCAN_STATUS, change.text.c_str());
      break;
    case ViewOp::Device:
      SetDlgItemTextW(hwnd(), IDC_SCAN_DEVICE, change.text.c_str());
      break;
    case ViewOp::Progress:
      SendDlgItemMessageW(hwnd(), IDC_SCAN_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(change.value), 0);
      break;
    case ViewOp::AnimationOn:
      if (!m_bAnimationOpen) OpenAnimation();
      // From the first frame to the last, repeating without end.
      SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
      break;
    case ViewOp::AnimationOff:
      SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_STOP, 0, 0);
      SendDlgItemMessageW(hwnd(), IDC_SCAN_ANIMATION, ACM_OPENW, 0, 0);  // closes the clip
      m_bAnimationOpen = false;
      break;
    case ViewOp::Phase: {
      m_nScanPhase = change.value;
      const SIZE size = SkinBitmapSize(m_nScanPhase == 2 ? IDB_PHASE_LISTED : IDB_PHASE_LISTING);
      RECT picture{kPhaseX, kPhaseY, kPhaseX + size.cx, kPhaseY + size.cy};
      InvalidateRect(hwnd(), &picture, FALSE);
      UpdateWindow(hwnd());
      break;
    }
    case ViewOp::StopEnabled:
      EnableWindow(m_Stop.hwnd(), change.value != 0);
      break;
    case ViewOp::FocusStop:
      SetFocus(m_Stop.hwnd());
      break;
  }
}

void CScanProgDlg::SetStatusText(const std::wstring& text) { SendChange({ViewOp::Status, text, 0}); }
void CScanProgDlg::SetCurrentDeviceText(const std::wstring& text) { SendChange({ViewOp::Device, text, 0}); }
void CScanProgDlg::SetProgress(int percent) { SendChange({ViewOp::Progress, {}, percent}); }
void CScanProgDlg::StartAnimation() { SendChange({ViewOp::AnimationOn, {}, 0}); }
void CScanProgDlg::StopAnimation() { SendChange({ViewOp::AnimationOff, {}, 0}); }
void CScanProgDlg::SetScanPhase(int phase) { SendChange({ViewOp::Phase, {}, phase}); }
void CScanProgDlg::SetStopEnabled(bool enabled) { SendChange({ViewOp::StopEnabled, {}, enabled ? 1 : 0}); }
void CScanProgDlg::FocusStopButton() { SendChange({ViewOp::FocusStop, {}, 0}); }

void CScanProgDlg::ShowMessage(const std::wstring& text, bool ownedByPage) {
  // The worker shows its own message boxes; the page stays responsive meanwhile.
  MessageBoxW(ownedByPage ? hwnd() : nullptr, text.c_str(), m_AppName.c_str(), MB_OK);
}

bool CScanProgDlg::AskYesNo(const std::wstring& text) {
  return MessageBoxW(nullptr, text.c_str(), m_AppName.c_str(), MB_YESNO) == IDYES;
}

void CScanProgDlg::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void CScanProgDlg::PopulateResults() {
  if (m_HandOver) m_HandOver(ScanHandOver::PopulateResults);
}
void CScanProgDlg::ShowResultPage() {
  if (m_HandOver) m_HandOver(ScanHandOver::ResultPage);
}
void CScanProgDlg::ShowHomePage() {
  if (m_HandOver) m_HandOver(ScanHandOver::HomePage);
}
void CScanProgDlg::ShowBackupPage() {
  if (m_HandOver) m_HandOver(ScanHandOver::BackupPage);
}

void CScanProgDlg::PaintDeviceTypes(HDC dc) const {
  HIMAGELIST images = m_ClassImages != nullptr ? m_ClassImages->Images() : nullptr;
  for (const DeviceType& type : kDeviceTypes) {
    const int x = kTypesColumnX[type.column == 0 ? 0 : 1];
    const int y = kTypesTop + (type.row - 1) * kTypesRowStep;
    if (images != nullptr) {
      const int image = m_ClassImages->IndexOf(type.classGuid);
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
