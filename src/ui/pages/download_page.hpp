#pragma once
// The download page (pop-up of kind 10): a dated log of the run with the
// current transfer's progress line, the overall progress bar, Stop while a run
// goes on and Close once it has ended. It is at the same time the HTTP
// downloader of the run, and the run's view: the download queue's calls come
// from the worker and go through the UI dispatcher (progress posted, the
// rest invoked). The install sequence reuses the log, the bar and the buttons.

#include <cstdint>
#include <functional>
#include <string>

#include "core/flow_host.hpp"
#include "core/text_table.hpp"
#include "core/ui_dispatcher.hpp"
#include "download/download_queue.hpp"
#include "download/http_downloader.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/pages/popup_base.hpp"

namespace velkor {

// What the page works with; the main window owns all of it.
struct DownloadPageLinks {
  UiDispatcher& ui;
  FlowHost& host;
  // A result-list row's new state (UI thread).
  std::function<void(int row, int kind)> setRowKind;
  // Hides this page and opens the install confirmation (UI thread).
  std::function<void()> openInstallConfirmation;
};

class CDownloadDlg : public CGlobalUINag, public CHttpDownloader, public DownloadView {
 public:
  CDownloadDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts, std::wstring appName,
               DownloadPageLinks links);
  ~CDownloadDlg() override;

  // The queue the page runs (set once, before any run).
  void SetQueue(DownloadQueue* queue) { m_pQueue = queue; }
  DownloadQueue* Queue() const { return m_pQueue; }
  // Starts a run as the page's worker (UI thread; the page is shown by the caller).
  bool StartDownloadOne(std::int32_t device, int row);
  bool StartDownloadAll();

  // DownloadView, called by the run (the worker) and by the Stop command.
  void ClearLog() override;
  void LogLine(const std::wstring& date, const std::wstring& text, bool newLine) override;
  void SetProgress(int percent) override;
  void SetHeadingDescription(const wchar_t* textKey) override;
  void ShowRunButtons(bool running) override;
  void SetStopEnabled(bool enabled) override;
  void SetStopLabel(const std::wstring& text) override;
  void ShowMessage(const std::wstring& text) override;
  void SetRowKind(int row, int kind) override;
  void ClosePage() override;
  void OpenInstallConfirmation() override;

  // The downloader's hooks that the page takes over.
  bool OnClientCertNeeded() override;
  void OnInternetStatus(HINTERNET handle, DWORD status, void* information, DWORD length) override;
  void ReportSystemError(UINT messageId, DWORD error) override;
  void ReportCodeError(UINT messageId, DWORD code) override;
  bool OnAuthChallenge(DWORD& error) override;
  void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) override;

  // Controls and state of the page (UI thread).
  HWND m_progress = nullptr;  // control 1016
  HWND m_log = nullptr;       // control 1033
  int m_logRow = 0;
  bool m_logRowIsProgress = false;
  CHoverButton4SWithText m_stopButton;   // control 1013
  CHoverButton4SWithText m_closeButton;  // control 1046
  HWND m_stopLabel = nullptr;            // control 1043
  std::wstring m_headingDesc;

 protected:
  void OnInitPopup() override;
  bool OnPopupCommand(int id, int code) override;
  void OnClosing() override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  // The log's rows as the Part's line rule writes them (UI thread).
  void WriteLogLine(const std::wstring& date, const std::wstring& text, bool newLine);
  void SetLogCell(int row, int column, const std::wstring& text);
  void OnStop();
  // Runs a change of the page on the UI thread and waits for it.
  void OnUi(const std::function<void()>& change);

  CTextTable& m_Texts;
  std::wstring m_AppName;
  DownloadPageLinks m_Links;
  DownloadQueue* m_pQueue = nullptr;
};

}  // namespace velkor
