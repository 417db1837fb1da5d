#pragma once
// The scan progress page: shows the scan run's stages, the progress of the
// device listing, the device being listed, an animation and the phase picture;
// its Stop button stops the listing. Becoming visible starts a scan run as the
// page's worker on the flow host; the run reaches the page only through this
// page's view, whose every call goes through the UI dispatcher.

#include <string>

#include "core/flow_host.hpp"
#include "core/text_table.hpp"
#include "core/ui_dispatcher.hpp"
#include "lookup/scan_run.hpp"
#include "ui/controls/class_images.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/pages/global_ui.hpp"
#include "ui/pages/page_navigator.hpp"

namespace velkor {

// What the page works with, all owned by the main window.
struct ScanPageLinks {
  UiDispatcher& ui;
  FlowHost& host;
  PageNavigator& navigator;
  const CClassImageList* classImages;
};

class CScanProgDlg : public CGlobalUI, public ScanView {
 public:
  CScanProgDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName, ScanPageLinks links);
  ~CScanProgDlg() override;

  // The run the page starts when it is shown.
  void SetRun(ScanRun* run) { m_pRun = run; }

  int m_nScanPhase = 1;

  // ScanView, called by the run on its worker thread.
  void SetStatusText(const std::wstring& text) override;
  void SetCurrentDeviceText(const std::wstring& text) override;
  void SetProgress(int percent) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void SetScanPhase(int phase) override;
  void SetStopEnabled(bool enabled) override;
  void FocusStopButton() override;
  void ShowMessage(const std::wstring& text, bool ownedByPage) override;
  bool AskYesNo(const std::wstring& text) override;
  void PopulateResults() override;
  void ShowResultPage() override;
  void ShowHomePage() override;
  void ShowBackupPage() override;

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  // Opens the scan animation clip on its control.
  void OpenAnimation();
  void StartScan();
  void OnStop();
  void PaintDeviceTypes(HDC dc) const;
  // Runs a change of the page on the UI thread and waits for it.
  void OnUi(const std::function<void()>& change);

  CTextTable& m_Texts;
  std::wstring m_AppName;
  ScanPageLinks m_Links;
  CHoverButton4SWithText m_Stop;
  ScanRun* m_pRun = nullptr;
  bool m_bAnimationOpen = false;
};

}  // namespace velkor
