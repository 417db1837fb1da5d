#pragma once
// The scan progress page: shows the scan run's stages, the progress of the
// device listing, the device being listed, an animation and the phase picture;
// its Stop button stops the listing. Becoming visible starts a scan run on a
// worker thread; the run reaches the page's controls only through this page's
// view, which hands every change to the page's own thread.

#include <atomic>
#include <functional>
#include <string>

#include "core/text_table.hpp"
#include "lookup/scan_run.hpp"
#include "platform/unique_handle.hpp"
#include "ui/controls/class_images.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/pages/global_ui.hpp"

namespace velkor {

// Where the run hands over at its end; each is carried out on the UI thread.
enum class ScanHandOver { PopulateResults, ResultPage, HomePage, BackupPage };

class CScanProgDlg : public CGlobalUI, public ScanView {
 public:
  CScanProgDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName,
               const CClassImageList* classImages);
  ~CScanProgDlg() override;

  // The run the page starts, and how its hand-overs reach the main window.
  void SetRun(ScanRun* run, std::function<void(ScanHandOver)> handOver);

  int m_nScanPhase = 1;
  // m_bScanStopRequested and m_bScanForBackup are the run's own flags.
  ScanRun* Run() const { return m_pRun; }

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
  void PumpMessages() override;
  void PopulateResults() override;
  void ShowResultPage() override;
  void ShowHomePage() override;
  void ShowBackupPage() override;

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  enum class ViewOp { Status, Device, Progress, AnimationOn, AnimationOff, Phase, StopEnabled, FocusStop };
  struct ViewChange {
    ViewOp op;
    std::wstring text;
    int value = 0;
  };
  // The one way from the worker to the controls: a message the page's own
  // thread answers (directly when already on it); returns once applied.
  void SendChange(ViewChange change);
  // Opens the scan animation clip on its control.
  void OpenAnimation();
  void Apply(const ViewChange& change);
  void StartScan();
  void OnStop();
  void PaintDeviceTypes(HDC dc) const;

  CTextTable& m_Texts;
  std::wstring m_AppName;
  const CClassImageList* m_ClassImages;
  CHoverButton4SWithText m_Stop;
  ScanRun* m_pRun = nullptr;
  std::function<void(ScanHandOver)> m_HandOver;
  UniqueKernelHandle m_Worker;
  UniqueKernelHandle m_StopThread;
  bool m_bAnimationOpen = false;
};

}  // namespace velkor
