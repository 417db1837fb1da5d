#pragma once
// CVelkorDlg: the main window object, which for the whole run is the
// application state. Its construction reads the settings, creates the working
// folders and loads the lists; the window (template 102) is a fixed-size,
// borderless, rounded skinned window with its navigation, pages, overlay and
// tray icon.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_parts_win.hpp"
#include "backup/backup_run.hpp"
#include "core/application_state.hpp"
#include "core/flow_host.hpp"
#include "core/window_dispatcher.hpp"
#include "core/worker_thread.hpp"
#include "platform/gdi_handles.hpp"
#include "download/download_parts_win.hpp"
#include "download/download_queue.hpp"
#include "lookup/scan_parts_win.hpp"
#include "lookup/scan_result.hpp"
#include "lookup/scan_run.hpp"
#include "maintenance/self_update.hpp"
#include "maintenance/self_update_parts_win.hpp"
#include "app/velkor/self_update_window.hpp"
#include "ui/controls/class_images.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/tray_icon.hpp"
#include "ui/pages/backup_page.hpp"
#include "maintenance/feedback_sender_win.hpp"
#include "ui/pages/download_page.hpp"
#include "ui/pages/feedback_popup.hpp"
#include "ui/pages/home_page.hpp"
#include "ui/pages/overlay.hpp"
#include "ui/pages/page_navigator.hpp"
#include "ui/pages/popups.hpp"
#include "ui/pages/result_page.hpp"
#include "ui/pages/scan_page.hpp"
#include "ui/pages/settings_page.hpp"
#include "ui/pages/work_pages.hpp"

namespace velkor {

class CVelkorApp;

// The application's shared fonts as the pages want them.
class AppPageFonts : public PageFonts {
 public:
  explicit AppPageFonts(const CVelkorApp& app) : m_App(app) {}
  HFONT SharedFont(int number) const override;

 private:
  const CVelkorApp& m_App;
};

class CVelkorDlg : public CApplicationState, public PopupHost, public PageNavigator {
 public:
  explicit CVelkorDlg(CVelkorApp& app);
  ~CVelkorDlg() override;

  // Runs the window until the tray's Exit ends it.
  INT_PTR DoModal();
  HWND Window() const { return m_hWnd; }

  // Hides the current page and shows `page` in the page area (nothing when it
  // is null or already current). Showing a page starts its work.
  void ShowPage(CGlobalUI* page);
  // Shows the overlay with the pop-up of `kind` over the main window, which is
  // first centred on the screen.
  void OpenPopup(PopupKind kind);
  // The same without moving the main window.
  void ShowPopupInPlace(PopupKind kind);

  // PageNavigator (UI thread)
  void ShowPageOf(PageId page) override;
  void PopulateResults() override;

  // PopupHost
  HWND MainWindow() const override { return m_hWnd; }
  PopupKind ShownPopup() const override { return m_nPopupKind; }
  void SetOverlayShown(bool shown) override { m_bOverlayShown = shown; }
  void SetPopupShown(bool shown) override { m_bPopupShown = shown; }
  void OnOverlayHidden() override;

  // The one way from the workers to the window (made on the UI thread with
  // the window object), and the host that runs the pages' workers.
  WindowDispatcher m_Ui;
  Win32WorkerThreads m_Threads;
  FlowHost m_Flows;
  // What the last scan left: tables, counts, update list, summary texts, the
  // home page's record and the result list's rows.
  ScanResult m_Scan;
  CClassImageList m_ClassImageList;

  AppPageFonts m_PageFonts;
  std::unique_ptr<CWelcomeDlg> m_HomePage;
  std::unique_ptr<CScanProgDlg> m_ScanPage;
  std::unique_ptr<CScanResultDlg> m_ResultPage;
  std::unique_ptr<CBackupDlg> m_BackupPage;
  std::unique_ptr<CRestoreDlg> m_RestorePage;
  std::unique_ptr<CSettingsDlg> m_SettingsPage;
  std::unique_ptr<CNagTransparentDlg> m_Overlay;
  std::unique_ptr<CNagInstallDriverDlg> m_InstallPopup;
  std::unique_ptr<NetworkFeedbackSender> m_FeedbackSender;
  std::unique_ptr<CNagReportFeedbackDlg> m_FeedbackPopup;
  std::unique_ptr<CNagDriverDetailsDlg> m_DetailsPopup;
  std::unique_ptr<CDownloadDlg> m_DownloadPopup;
  std::unique_ptr<CNagBackupDlg> m_BackupPopup;
  CXTTrayIcon m_TrayIcon;
  std::unique_ptr<WinScanParts> m_ScanParts;
  std::unique_ptr<ScanRun> m_ScanRun;
  std::unique_ptr<WinBackupParts> m_BackupParts;
  std::unique_ptr<BackupRun> m_BackupRun;
  std::unique_ptr<WinDownloadParts> m_DownloadParts;
  std::unique_ptr<DownloadQueue> m_DownloadQueue;
  std::unique_ptr<WindowSelfUpdateView> m_SelfUpdateView;
  std::unique_ptr<WinSelfUpdateParts> m_SelfUpdateParts;
  std::unique_ptr<CSelfUpdate> m_SelfUpdate;

 protected:
  void SetCloseEnabled(bool enabled) override;
  void SetNavigationEnabled(bool enabled) override;

 private:
  void EnableClose(bool enabled);
  void EnableNavigation(bool enabled);
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  void OnInitDialog();
  void CreateHeader();
  void CreatePages();
  void ShowFirstPage();
  void OnBringToFront(WPARAM marker);
  bool OnCommand(int id);
  bool OnSysCommand(WPARAM command);
  void SelectNavigation(CCustomHoverButton* button);
  void ShowHelpMenu();
  void ShowAbout(bool fromSystemMenu);
  void RestoreFromTray();
  void Exit();
  void OnResultPageVisibility(bool visible);
  void CreateScanRun();
  void CreateBackupRun();
  void CreateDownloadQueue();
  // The download pop-up over the result page, running one row or every row.
  void StartDownload(std::int32_t device, int row, bool all);
  // After a download-all run with packages: the install confirmation for every downloaded row.
  void OpenInstallConfirmationAfterDownloads();
  void ShowDriverDetails(std::int32_t device);
  void Paint();
  // Keys that must never reach the window's dialogs; true when discarded.
  bool DiscardKey(const MSG& msg) const;
  bool IsOurWindow(HWND hwnd) const;

  CVelkorApp& m_App;
  HWND m_hWnd = nullptr;
  bool m_bEnded = false;
  UniqueIcon m_hIconLarge;
  UniqueIcon m_hIconSmall;
  CGlobalUI* m_pCurrentPage = nullptr;
  CCustomHoverButton m_HomeButton, m_BackupButton, m_RestoreButton, m_SettingsButton, m_HelpButton, m_LastScanButton, m_RescanButton;
  CHoverButton m_MinimizeButton, m_CloseButton;
  std::vector<CCustomHoverButton*> m_NavigationButtons;
};

}  // namespace velkor
