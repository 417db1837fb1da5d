#pragma once
// The backup page: a tree of the last scan's devices by class under the
// computer's name, the back-up-all box, the Backup and Stop buttons, and while
// a backup runs its progress, afterwards its summary. The Backup button starts
// the backup run as the page's worker on the flow host; the run reaches the
// page only through this page's view, whose every call goes through the UI
// dispatcher. Without an inventory the page offers to scan for the backup.

#include <cstdint>
#include <functional>
#include <string>

#include "backup/backup_run.hpp"
#include "core/flow_host.hpp"
#include "core/settings.hpp"
#include "core/text_table.hpp"
#include "core/ui_dispatcher.hpp"
#include "inventory/device_record.hpp"
#include "ui/controls/class_images.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/tree_x_ctrl.hpp"
#include "ui/pages/global_ui.hpp"
#include "ui/pages/page_navigator.hpp"

namespace velkor {

// What the page works with, all owned by the main window.
struct BackupPageLinks {
  UiDispatcher& ui;
  FlowHost& host;
  PageNavigator& navigator;
  const CClassImageList* classImages;
  const RecordTable& devices;       // the inventory of the last scan
  const std::int32_t& deviceCount;  // 0: no inventory
  bool& backupAll;                  // the back-up-all flag, which the box sets
  const CSettings& settings;        // "BackupLoc", shown on the page
  // Sets the scan run's m_bScanForBackup and shows the scan page.
  std::function<void()> scanForBackup;
};

class CBackupDlg : public CGlobalUI, public BackupView {
 public:
  CBackupDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName, BackupPageLinks links);
  ~CBackupDlg() override;

  // The run the Backup button starts.
  void SetRun(BackupRun* run) { m_pRun = run; }

  CTreeXCtrl m_Tree;

  // BackupView, called by the run on its worker thread.
  void SetStatusText(const std::wstring& text) override;
  void SetDeviceText(const std::wstring& text) override;
  void ShowCurrentDevice(const std::wstring& name, const std::wstring& classDescription) override;
  void SetProgress(int percent) override;
  void ShowMessage(const std::wstring& text, bool informationIcon) override;
  bool AskYesNo(const std::wstring& text) override;
  void ShowRunControls() override;
  void SetDescription(const wchar_t* textKey) override;
  void SetStopEnabled(bool enabled) override;
  void SetBackupEnabled(bool enabled) override;
  std::optional<std::vector<std::int32_t>> CheckedDevices() override;
  void ShowSummary(const BackupSummary& summary) override;
  void StartResultTimer(int timerId) override;

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  // Fills the device tree from the inventory (UI thread).
  void FillTree();
  // The page as it is before a run: tree and box, no progress, no summary.
  void ShowChoice();
  void OfferScanForBackup();
  void OnBackup();
  void OnStop();
  void OnBackupAllClicked();
  // Runs a change of the page on the UI thread and waits for it.
  void OnUi(const std::function<void()>& change);

  CTextTable& m_Texts;
  std::wstring m_AppName;
  BackupPageLinks m_Links;
  CHoverButton4SWithText m_Start, m_Stop;
  BackupRun* m_pRun = nullptr;
  const wchar_t* m_pDescriptionKey = L"IDS_BACKUP_DESC1";
  bool m_bSummaryShown = false;
};

}  // namespace velkor
