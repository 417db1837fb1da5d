#include "app/velkor/velkor_dlg.hpp"

#include <commctrl.h>

#include <string>

#include "app/velkor/velkor_app.hpp"
#include "base/text.hpp"
#include "core/settings.hpp"
#include "core/shell_folders.hpp"
#include "core/single_instance.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/system_information.hpp"
#include "ui/controls/skin_control.hpp"
#include "ui/pages/product_links.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

constexpr int kWindowWidth = 771;
constexpr int kWindowHeight = 581;
constexpr int kHeaderHeight = 34;
constexpr RECT kPageArea{13, 115, 13 + kPageWidth, 115 + kPageHeight};
constexpr int kHelpMenuOffset = 81;
}  // namespace

HFONT AppPageFonts::SharedFont(int number) const { return m_App.Font(number); }

CVelkorDlg::CVelkorDlg(CVelkorApp& app)
    : CApplicationState(app.m_TextTable.GetAppName()),
      m_Flows(*this, &TheDriverScannerApp(), m_Threads),
      m_PageFonts(app),
      m_App(app) {
  LoadStoredScanRecord(m_Scan, [](const wchar_t* name) { return ReadProductValue(name); });
}

CVelkorDlg::~CVelkorDlg() {
  m_TrayIcon.Remove();
  // Pop-ups and pages go before the windows that own them.
  m_InstallPopup.reset();
  m_FeedbackPopup.reset();
  m_DetailsPopup.reset();
  m_DownloadPopup.reset();
  m_BackupPopup.reset();
  m_Overlay.reset();
}

// The window runs in a loop of our own, so that keys can be discarded before
// any dialog sees them and the pop-ups get dialog keyboard handling too.
INT_PTR CVelkorDlg::DoModal() {
  HWND window = CreateDialogParamW(m_App.Instance(), MAKEINTRESOURCEW(IDD_VELKOR_DIALOG), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return -1;
  ShowWindow(window, SW_SHOW);
  ShowFirstPage();
  MSG msg;
  while (!m_bEnded && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (DiscardKey(msg)) continue;
    HWND active = GetActiveWindow();
    if (active != nullptr && active != m_hWnd && IsOurWindow(active) && IsDialogMessageW(active, &msg)) continue;
    if (IsDialogMessageW(m_hWnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(m_hWnd);
  return IDOK;
}

bool CVelkorDlg::IsOurWindow(HWND hwnd) const {
  if (hwnd == m_hWnd) return true;
  return m_Overlay != nullptr &&
         (hwnd == m_Overlay->hwnd() || GetWindow(hwnd, GW_OWNER) == m_Overlay->hwnd());
}

bool CVelkorDlg::DiscardKey(const MSG& msg) const {
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr || !IsOurWindow(root)) return false;
  if ((msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP) && msg.wParam == VK_F4) return true;
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
  switch (msg.wParam) {
    case VK_ESCAPE:
    case VK_F4:
      return true;
    case VK_RETURN:
    case VK_SPACE: {
      // Typing in a text box (the feedback report) and ticking a device in a
      // tree keep their keys; on everything else they would press a button.
      wchar_t className[32] = {};
      GetClassNameW(msg.hwnd, className, 32);
      const std::wstring name = AsciiToLower(className);
      if (name == L"edit" || name.rfind(L"richedit", 0) == 0) return false;
      if (msg.wParam == VK_SPACE && name == L"systreeview32") return false;
      return true;
    }
    default:
      return false;
  }
}

INT_PTR CALLBACK CVelkorDlg::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CVelkorDlg*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    self->m_hWnd = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<CVelkorDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  bool handled = false;
  const INT_PTR result = self->HandleMessage(message, wparam, lparam, handled);
  if (!handled) return FALSE;
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

void CVelkorDlg::OnInitDialog() {
  m_bOverlayShown = false;
  const std::wstring appName = m_App.m_TextTable.GetAppName();
  SetSkinFaceName(m_App.FaceName());
  m_hIconLarge.reset(static_cast<HICON>(
      LoadImageW(m_App.Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  m_hIconSmall.reset(static_cast<HICON>(
      LoadImageW(m_App.Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
  m_TrayIcon.Create(m_hWnd, m_hIconSmall.get(), appName, IDR_TRAY_MENU, ID_TRAY_RESTORE);
  SetWindowTextW(m_hWnd, appName.c_str());

  wchar_t about[128] = {};
  if (LoadStringW(m_App.Instance(), IDS_ABOUTBOX, about, 128) > 0) {
    if (HMENU system = GetSystemMenu(m_hWnd, FALSE)) {
      AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(system, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconLarge.get()));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall.get()));

  SetWindowPos(m_hWnd, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyRoundedRegion(m_hWnd, kWindowWidth, kWindowHeight);
  // The system's class images, or the program's own where the system has none.
  m_ClassImageList.Load(IDB_CLASS_ICONS);
  CreateHeader();
  CreatePages();
  CreateScanRun();
  CreateBackupRun();
  CreateDownloadQueue();
  m_SelfUpdateView = std::make_unique<WindowSelfUpdateView>(m_hWnd, appName);
  m_SelfUpdateParts = std::make_unique<WinSelfUpdateParts>(m_strDataFolder, "0");
  m_SelfUpdate = std::make_unique<CSelfUpdate>(*m_SelfUpdateView, *m_SelfUpdateParts);
}

void CVelkorDlg::CreateHeader() {
  PlaceFromTemplate(m_hWnd, IDD_VELKOR_DIALOG, m_App.Instance(), true);
  struct Nav {
    CCustomHoverButton& button;
    int id, strip;
  };
  for (const Nav& nav : {Nav{m_HomeButton, IDC_NAV_HOME, IDB_NAV_HOME}, Nav{m_BackupButton, IDC_NAV_BACKUP, IDB_NAV_BACKUP},
                         Nav{m_RestoreButton, IDC_NAV_RESTORE, IDB_NAV_RESTORE},
                         Nav{m_SettingsButton, IDC_NAV_SETTINGS, IDB_NAV_SETTINGS}, Nav{m_HelpButton, IDC_NAV_HELP, IDB_NAV_HELP},
                         Nav{m_LastScanButton, IDC_NAV_LASTSCAN, IDB_NAV_LASTSCAN},
                         Nav{m_RescanButton, IDC_NAV_RESCAN, IDB_NAV_RESCAN}}) {
    nav.button.Attach(m_hWnd, nav.id);
    nav.button.LoadStrip(nav.strip);
    nav.button.SetCaption(true);
    m_NavigationButtons.push_back(&nav.button);
  }
  m_MinimizeButton.Attach(m_hWnd, IDC_MINIMIZE);
  m_MinimizeButton.LoadStrip(IDB_CAPTION_MIN);
  m_CloseButton.Attach(m_hWnd, IDC_CLOSE);
  m_CloseButton.LoadStrip(IDB_CAPTION_CLOSE);
  SetWindowPos(m_MinimizeButton.hwnd(), nullptr, kWindowWidth - 77, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(m_CloseButton.hwnd(), nullptr, kWindowWidth - 52, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // Neither scan button shows before the result page has been shown once.
  ShowWindow(m_LastScanButton.hwnd(), SW_HIDE);
  ShowWindow(m_RescanButton.hwnd(), SW_HIDE);
}

void CVelkorDlg::CreatePages() {
  SelectNavigation(&m_HomeButton);
  CTextTable& texts = m_App.m_TextTable;
  m_HomePage = std::make_unique<CWelcomeDlg>(m_PageFonts, texts, m_Scan, [this] {
    m_Scan.m_nUpdateCount = 0;
    ShowPage(m_ScanPage.get());
  });
  m_ScanPage = std::make_unique<CScanProgDlg>(m_PageFonts, texts, texts.GetAppName(),
                                              ScanPageLinks{m_Ui, m_Flows, *this, &m_ClassImageList});
  ResultPageActions actions;
  actions.download = [this](std::int32_t device, int row) { StartDownload(device, row, false); };
  actions.downloadAll = [this] { StartDownload(-1, 0, true); };
  actions.install = [this](int row) {
    m_nPopupArg = row;
    OpenPopup(PopupKind::InstallConfirm);
  };
  actions.details = [this](std::int32_t device) { ShowDriverDetails(device); };
  actions.feedback = [this] { OpenPopup(PopupKind::Feedback); };
  m_ResultPage = std::make_unique<CScanResultDlg>(
      m_PageFonts, texts, ResultPageLinks{m_Scan, m_DownloadList, &m_ClassImageList}, std::move(actions));
  m_ResultPage->m_OnVisibility = [this](bool visible) { OnResultPageVisibility(visible); };
  m_BackupPage = std::make_unique<CBackupDlg>(
      m_PageFonts, texts, texts.GetAppName(),
      BackupPageLinks{m_Ui, m_Flows, *this, &m_ClassImageList, m_Scan.m_Devices, m_Scan.m_nDeviceCount, m_bBackupAll,
                      m_Settings, [this] {
                        m_ScanRun->m_bScanForBackup = true;
                        ShowPage(m_ScanPage.get());
                      }});
  m_RestorePage = std::make_unique<CRestoreDlg>(m_PageFonts, texts);
  m_SettingsPage = std::make_unique<CSettingsDlg>(m_PageFonts, texts, *this);
  for (CGlobalUI* page : std::initializer_list<CGlobalUI*>{m_HomePage.get(), m_ScanPage.get(), m_ResultPage.get(),
                                                          m_BackupPage.get(), m_RestorePage.get(),
                                                          m_SettingsPage.get()}) {
    page->Create(m_hWnd, m_App.Instance());
  }

  m_Overlay = std::make_unique<CNagTransparentDlg>(m_PageFonts, *this);
  m_Overlay->CreateOverlay(m_hWnd);
  m_InstallPopup = std::make_unique<CNagInstallDriverDlg>(m_PageFonts, *this, texts);
  m_FeedbackSender = std::make_unique<NetworkFeedbackSender>(m_App.m_Service);
  m_FeedbackPopup = std::make_unique<CNagReportFeedbackDlg>(m_PageFonts, *this, texts, *m_FeedbackSender, OsCodeText());
  m_DetailsPopup = std::make_unique<CNagDriverDetailsDlg>(m_PageFonts, *this, texts);
  DownloadPageLinks downloadLinks{m_Ui, m_Flows,
                                  [this](int row, int kind) { m_ResultPage->SetRowKind(row, kind); },
                                  [this] { OpenInstallConfirmationAfterDownloads(); }};
  m_DownloadPopup =
      std::make_unique<CDownloadDlg>(m_PageFonts, *this, texts, texts.GetAppName(), std::move(downloadLinks));
  m_InstallPopup->m_OnDismiss = [this] { m_Flows.EndKeptOperation(); };
  m_BackupPopup = std::make_unique<CNagBackupDlg>(m_PageFonts, *this, texts);
  struct Kind {
    PopupKind kind;
    CGlobalUINag* popup;
  };
  for (const Kind& kind : {Kind{PopupKind::InstallConfirm, m_InstallPopup.get()},
                           Kind{PopupKind::Feedback, m_FeedbackPopup.get()},
                           Kind{PopupKind::DriverDetails, m_DetailsPopup.get()},
                           Kind{PopupKind::Download, m_DownloadPopup.get()},
                           Kind{PopupKind::BackupBeforeInstall, m_BackupPopup.get()}}) {
    if (kind.popup->Create(m_Overlay->hwnd(), m_App.Instance())) m_Overlay->AddPopup(kind.kind, *kind.popup);
  }
}

void CVelkorDlg::CreateScanRun() {
  m_ScanParts = std::make_unique<WinScanParts>(m_App.m_Service, RelaunchCommand{GetProgramModulePath()});
  m_ScanRun = std::make_unique<ScanRun>(*m_ScanPage, *m_ScanParts, m_Scan, m_Flows.Stop());
  m_ScanPage->SetRun(m_ScanRun.get());
}

void CVelkorDlg::CreateBackupRun() {
  m_BackupParts = std::make_unique<WinBackupParts>(m_Settings, [this] { return SaveList(ListKind::Backup); },
                                                   RelaunchCommand{GetProgramModulePath(), L"2"});
  m_BackupRun = std::make_unique<BackupRun>(
      *m_BackupParts,
      BackupLinks{m_Scan.m_Devices, m_Scan.m_nDeviceCount, m_strTempFolder, m_strBackupFolder, m_BackupList,
                  m_bBackupAll},
      m_Flows.Stop());
  m_BackupPage->SetRun(m_BackupRun.get());
}

void CVelkorDlg::CreateDownloadQueue() {
  m_DownloadParts = std::make_unique<WinDownloadParts>(*this, m_App.m_Service, *m_DownloadPopup);
  m_DownloadQueue = std::make_unique<DownloadQueue>(*m_DownloadPopup, *m_DownloadParts, m_Scan, m_DownloadList,
                                                    m_Flows.Stop(), OsCodeText());
  m_DownloadPopup->SetQueue(m_DownloadQueue.get());
}

void CVelkorDlg::StartDownload(std::int32_t device, int row, bool all) {
  if (m_DownloadPopup == nullptr || OperationInProgress()) return;
  if (!all) m_nPopupArg = row;
  OpenPopup(PopupKind::Download);
  if (all) {
    m_DownloadPopup->StartDownloadAll();
  } else {
    m_DownloadPopup->StartDownloadOne(device, row);
  }
}

void CVelkorDlg::OpenInstallConfirmationAfterDownloads() {
  m_bInstallSingle = false;
  m_bBackupAll = true;
  m_nPopupArg = 0;
  // The download page goes; the confirmation takes its place over the main window.
  if (m_DownloadPopup != nullptr && m_DownloadPopup->hwnd() != nullptr) ShowWindow(m_DownloadPopup->hwnd(), SW_HIDE);
  m_bPopupShown = false;
  if (m_Overlay != nullptr) m_Overlay->Hide();
  OpenPopup(PopupKind::InstallConfirm);
}

void CVelkorDlg::ShowPageOf(PageId page) {
  switch (page) {
    case PageId::Home:
      SelectNavigation(&m_HomeButton);
      ShowPage(m_HomePage.get());
      break;
    case PageId::Scan:
      ShowPage(m_ScanPage.get());
      break;
    case PageId::Result:
      ShowPage(m_ResultPage.get());
      break;
    case PageId::Backup:
      SelectNavigation(&m_BackupButton);
      ShowPage(m_BackupPage.get());
      break;
    case PageId::Restore:
      SelectNavigation(&m_RestoreButton);
      ShowPage(m_RestorePage.get());
      break;
    case PageId::Settings:
      SelectNavigation(&m_SettingsButton);
      ShowPage(m_SettingsPage.get());
      break;
  }
}

void CVelkorDlg::PopulateResults() { m_ResultPage->PopulateResults(); }

void CVelkorDlg::ShowDriverDetails(std::int32_t device) {
  const DeviceRecord* record = m_Scan.m_Devices.Slot(device);
  if (record == nullptr || m_DetailsPopup == nullptr) return;
  m_DetailsPopup->ShowDevice(*record);
  m_nPopupArg = device;
  OpenPopup(PopupKind::DriverDetails);
}

void CVelkorDlg::ShowFirstPage() {
  int mode = m_App.m_nStartMode;
  if (mode == 0 && AsciiEqualsNoCase(Trim(m_Settings.Get(kSettingAutoScan)), L"1")) mode = 1;
  switch (mode) {
    case 1:
      m_Scan.m_nUpdateCount = 0;
      ShowPage(m_ScanPage.get());
      break;
    // Home stays the selected navigation button, whichever page comes first.
    case 2:
      m_Scan.m_nUpdateCount = 0;
      ShowPage(m_BackupPage.get());
      break;
    case 3:
      m_Scan.m_nUpdateCount = 0;
      ShowPage(m_RestorePage.get());
      break;
    default:
      ShowPage(m_HomePage.get());
      break;
  }
}

void CVelkorDlg::ShowPage(CGlobalUI* page) {
  if (page == nullptr || page == m_pCurrentPage || page->hwnd() == nullptr) return;
  if (m_pCurrentPage != nullptr) ShowWindow(m_pCurrentPage->hwnd(), SW_HIDE);
  m_pCurrentPage = page;
  SetWindowPos(page->hwnd(), HWND_TOP, kPageArea.left, kPageArea.top, kPageWidth, kPageHeight, SWP_NOACTIVATE);
  ShowWindow(page->hwnd(), SW_SHOW);
}

void CVelkorDlg::OpenPopup(PopupKind kind) {
  m_nPopupKind = kind;
  // Fully opaque, but layered, so that the overlay's dimming composes over it.
  SetWindowAlpha(m_hWnd, 255);
  CentreWindow(m_hWnd, nullptr);
  if (m_Overlay != nullptr) m_Overlay->ShowOverOwner();
}

void CVelkorDlg::ShowPopupInPlace(PopupKind kind) {
  m_nPopupKind = kind;
  if (m_Overlay != nullptr) m_Overlay->ShowOverOwner();
}

void CVelkorDlg::OnOverlayHidden() {
  InvalidateRect(m_hWnd, nullptr, FALSE);
  if (m_ResultPage != nullptr && m_ResultPage->hwnd() != nullptr) {
    InvalidateRect(m_ResultPage->hwnd(), nullptr, FALSE);
    if (m_ResultPage->m_List.hwnd() != nullptr && m_ResultPage->IsVisible()) SetFocus(m_ResultPage->m_List.hwnd());
  }
}

void CVelkorDlg::OnResultPageVisibility(bool visible) {
  m_bShowRescan = visible;
  m_bShowLastScan = !visible;
  ShowWindow(m_RescanButton.hwnd(), m_bShowRescan ? SW_SHOW : SW_HIDE);
  ShowWindow(m_LastScanButton.hwnd(), m_bShowLastScan ? SW_SHOW : SW_HIDE);
  EnableWindow(visible ? m_RescanButton.hwnd() : m_LastScanButton.hwnd(), TRUE);
}

void CVelkorDlg::SelectNavigation(CCustomHoverButton* button) {
  for (CCustomHoverButton* nav : m_NavigationButtons) nav->SetLatched(nav == button);
}

void CVelkorDlg::ShowHelpMenu() {
  HMENU menu = LoadMenuW(m_App.Instance(), MAKEINTRESOURCEW(IDR_HELP_MENU));
  if (menu == nullptr) return;
  RECT button{};
  GetWindowRect(m_HelpButton.hwnd(), &button);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_TOPALIGN, button.left + kHelpMenuOffset, button.bottom, 0,
                 m_hWnd, nullptr);
  DestroyMenu(menu);
}

void CVelkorDlg::ShowAbout(bool fromSystemMenu) {
  if (fromSystemMenu) {
    if (m_bOverlayShown || m_bPopupShown) return;
    ShowPopupInPlace(PopupKind::None);
  } else {
    if (m_bOverlayShown) return;
    OpenPopup(PopupKind::None);
  }
  CTextTable& texts = m_App.m_TextTable;
  const std::wstring appName = texts.GetAppName();
  const std::wstring text = appName + L"\n" + texts.GetText(L"IDS_ABOUT_BOX_DESC3") + L"protected by copyright law.\n" +
                            texts.GetText(L"IDS_ABOUT_BOX_DESC2") + L"\n\n" + texts.GetText(L"IDS_ABOUT_BOX_DESC4") +
                            L" " + GetAppVersion() + L"\n" + texts.GetText(L"IDS_ABOUT_BOX_DESC5") + L" " +
                            kWebsiteUrl + L"\n" + texts.GetText(L"IDS_ABOUT_BOX_DESC6") + L" " + kSupportEmail;
  HWND owner = m_Overlay != nullptr ? m_Overlay->hwnd() : m_hWnd;
  MessageBoxW(owner, text.c_str(), (texts.GetText(L"IDS_ABOUT_BOX_DESC1") + L" " + appName).c_str(),
              MB_OK | MB_ICONINFORMATION);
  if (m_Overlay != nullptr) m_Overlay->Hide();
}

void CVelkorDlg::RestoreFromTray() {
  if (m_bPopupShown && m_Overlay != nullptr) SetFocus(m_Overlay->hwnd());
  ShowWindow(m_hWnd, SW_SHOW);
  if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
  SetForegroundWindow(m_hWnd);
}

void CVelkorDlg::Exit() {
  if (OperationInProgress() || m_bOverlayShown) {
    if (m_bMessageBoxOpen) return;
    m_bMessageBoxOpen = true;
    MessageBoxW(m_hWnd, L"Please wait while current process completes...",
                m_App.m_TextTable.GetAppName().c_str(), MB_OK);
    m_bMessageBoxOpen = false;
    return;
  }
  m_TrayIcon.Remove();
  m_bEnded = true;
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CVelkorDlg::OnCommand(int id) {
  switch (id) {
    case IDC_NAV_HOME:
      SelectNavigation(&m_HomeButton);
      ShowPage(m_HomePage.get());
      SetFocus(m_HomeButton.hwnd());
      return true;
    case IDC_NAV_BACKUP:
      SelectNavigation(&m_BackupButton);
      ShowPage(m_BackupPage.get());
      return true;
    case IDC_NAV_RESTORE:
      SelectNavigation(&m_RestoreButton);
      ShowPage(m_RestorePage.get());
      return true;
    case IDC_NAV_SETTINGS:
      SelectNavigation(&m_SettingsButton);
      ShowPage(m_SettingsPage.get());
      return true;
    case IDC_NAV_HELP:
      SelectNavigation(&m_HelpButton);
      ShowHelpMenu();
      return true;
    case IDC_NAV_LASTSCAN:
      SelectNavigation(&m_HomeButton);
      m_ResultPage->PopulateResults();
      ShowPage(m_ResultPage.get());
      return true;
    case IDC_NAV_RESCAN:
      SelectNavigation(&m_HomeButton);
      EnableWindow(m_LastScanButton.hwnd(), FALSE);
      ShowPage(m_ScanPage.get());
      return true;
    case IDC_MINIMIZE:
      PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return true;
    case IDC_CLOSE:
      PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    case ID_HELP_CONTENTS:
      OpenHelpPage();
      return true;
    case ID_HELP_REPORTFEEDBACK:
      OpenPopup(PopupKind::Feedback);
      return true;
    case ID_HELP_CHECKFORUPDATE:
      m_SelfUpdate->CheckForUpdate();
      return true;
    case ID_HELP_ABOUT:
      ShowAbout(false);
      return true;
    case ID_TRAY_RESTORE:
      RestoreFromTray();
      return true;
    case ID_TRAY_EXIT:
      Exit();
      return true;
    case IDOK:
    case IDCANCEL:
      // Neither confirms nor closes the window.
      return true;
    default:
      return false;
  }
}

bool CVelkorDlg::OnSysCommand(WPARAM command) {
  const WPARAM kind = command & 0xFFF0;
  if (command == IDM_ABOUTBOX) {
    if (!m_bPopupShown) ShowAbout(true);
    return true;
  }
  if (kind == SC_CLOSE) {
    // The window goes to the tray; the default handling then ends in the
    // dialog's Cancel, which does nothing.
    if (!m_bPopupShown) ShowWindow(m_hWnd, SW_HIDE);
    return false;
  }
  if (kind == SC_MINIMIZE) return m_bPopupShown;
  if (kind == SC_MAXIMIZE) return false;
  return m_bPopupShown;
}

INT_PTR CVelkorDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  handled = true;
  if (message == BringToFrontMessage() && message != 0) {
    OnBringToFront(wparam);
    return TRUE;
  }
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      LRESULT result = 0;
      if (ReflectOwnerDraw(m_hWnd, message, wparam, lparam, result)) return TRUE;
      break;
    }
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam))) return TRUE;
      break;
    case WM_SYSCOMMAND:
      if (OnSysCommand(wparam)) return 0;
      break;
    case WM_CLOSE:
      // Closing only ever hides the window; the tray's Exit ends the program.
      return 0;
    case WM_HELP:
      OpenHelpPage();
      return TRUE;
    case WM_LBUTTONDOWN:
      if ((wparam & MK_LBUTTON) != 0 && static_cast<short>(HIWORD(lparam)) < kHeaderHeight) {
        // The top band moves the window, as a caption would.
        ReleaseCapture();
        PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
      }
      break;
    case kMsgTrayNotify:
      if (m_TrayIcon.OnNotify(lparam, m_App.Instance())) return 0;
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

void CVelkorDlg::OnBringToFront(WPARAM marker) {
  const std::wstring text = TakeBringToFrontMarker(marker);
  if (!ShouldBringToFront(IsWindowVisible(m_hWnd) != FALSE, text)) return;
  SetForegroundWindow(m_hWnd);
  ShowWindow(m_hWnd, SW_SHOW);
  ShowWindow(m_hWnd, SW_RESTORE);
  // A press at the client's corner, without a button held, activates the
  // window like a click would; the header band starts a move only on a press
  // with the button down.
  PostMessageW(m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(0, 0));
  BringWindowToTop(m_hWnd);
  SetForegroundWindow(m_hWnd);
}

// The bracket's window parts run on the UI thread, whichever thread takes the bracket.
void CVelkorDlg::SetCloseEnabled(bool enabled) {
  m_Ui.Invoke([this, enabled] { EnableClose(enabled); });
}

void CVelkorDlg::SetNavigationEnabled(bool enabled) {
  m_Ui.Invoke([this, enabled] { EnableNavigation(enabled); });
}

void CVelkorDlg::EnableClose(bool enabled) {
  if (m_hWnd == nullptr) return;
  if (m_CloseButton.hwnd() != nullptr) EnableWindow(m_CloseButton.hwnd(), enabled);
  if (HMENU menu = GetSystemMenu(m_hWnd, FALSE)) {
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
  }
}

void CVelkorDlg::EnableNavigation(bool enabled) {
  for (CCustomHoverButton* button : m_NavigationButtons) {
    if (button->hwnd() != nullptr) EnableWindow(button->hwnd(), enabled);
  }
}

}  // namespace velkor
