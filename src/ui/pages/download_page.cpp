#include "ui/pages/download_page.hpp"

#include <commctrl.h>

#include "ui/pages/work_pages.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

constexpr int kDateColumnWidth = 170;
constexpr int kStatusColumnMargin = 175;
constexpr DWORD kErrorDialogFlags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                                    FLAGS_ERROR_UI_FLAGS_GENERATE_DATA;  // 7

// Keys of the reports that the next one overwrites: the page's address and the
// report, so that no other page's posts are ever replaced.
enum DownloadReport : std::uintptr_t { kReportBar = 1, kReportProgressLine };
std::uintptr_t ReportKey(const void* page, DownloadReport report) {
  return reinterpret_cast<std::uintptr_t>(page) + report;
}

bool KeyboardClick() { return GetKeyState(VK_RETURN) < 0 || GetKeyState(VK_ESCAPE) < 0; }

}  // namespace

CDownloadDlg::CDownloadDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts, std::wstring appName,
                           DownloadPageLinks links)
    : CGlobalUINag(IDD_DOWNLOAD, fonts, host),
      CHttpDownloader(appName),
      m_Texts(texts),
      m_AppName(std::move(appName)),
      m_Links(std::move(links)) {
  SetHeading(m_Texts.GetText(L"IDS_DOWNLOAD_HEADING1"));
  m_bufferSize = kQueueBufferBytes;
  m_headingDesc = m_Texts.GetText(L"IDS_DOWNLOAD_HEADING1_DESC1");
}

CDownloadDlg::~CDownloadDlg() = default;

void CDownloadDlg::OnInitPopup() {
  m_progress = GetDlgItem(hwnd(), IDC_DOWNLOAD_PROGRESS);
  m_log = GetDlgItem(hwnd(), IDC_DOWNLOAD_LOG);
  m_stopLabel = GetDlgItem(hwnd(), IDC_DOWNLOAD_STOP_LABEL);
  SkinActionButton(m_stopButton, hwnd(), IDC_DOWNLOAD_STOP);
  SkinActionButton(m_closeButton, hwnd(), IDC_DOWNLOAD_CLOSE);
  SendMessageW(m_progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(m_progress, PBM_SETPOS, 0, 0);
  if (m_log != nullptr) {
    SendMessageW(m_log, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(m_log, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = kDateColumnWidth;
    column.pszText = const_cast<wchar_t*>(L"Date and Time");
    SendMessageW(m_log, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = client.right - kStatusColumnMargin;
    column.pszText = const_cast<wchar_t*>(L"Status");
    SendMessageW(m_log, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  }
  // Outside a run the page offers Close only.
  ShowWindow(m_stopButton.hwnd(), SW_HIDE);
  EnableWindow(m_stopButton.hwnd(), FALSE);
}

bool CDownloadDlg::StartDownloadOne(std::int32_t device, int row) {
  DownloadQueue* queue = m_pQueue;
  if (queue == nullptr) return false;
  return m_Links.host.StartWorker([queue, device, row] {
    DownloadOutcome outcome;
    return queue->DownloadOneThread(device, row, outcome);
  });
}

bool CDownloadDlg::StartDownloadAll() {
  DownloadQueue* queue = m_pQueue;
  if (queue == nullptr) return false;
  return m_Links.host.StartWorker([queue] {
    DownloadOutcome outcome;
    return queue->DownloadAllThread(outcome);
  });
}

bool CDownloadDlg::OnPopupCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  if (id == IDC_DOWNLOAD_STOP) {
    OnStop();
    return true;
  }
  if (id == IDC_DOWNLOAD_CLOSE) {
    CloseFromButton();
    return true;
  }
  return false;
}

void CDownloadDlg::OnStop() {
  // A click that came from the keyboard is no click.
  if (KeyboardClick() || m_pQueue == nullptr || !IsWindowEnabled(m_stopButton.hwnd())) return;
  m_Links.host.RequestStop(0);
  m_pQueue->OnStopCommand();
}

void CDownloadDlg::OnClosing() {
  // The transfer under way runs to its end; the run stops at its next test.
  m_Links.host.RequestStop(0);
}

void CDownloadDlg::PaintPage(HDC dc, const RECT& client) {
  CGlobalUINag::PaintPage(dc, client);
  Text(dc, m_headingDesc, 20, 52, kDarkText, 4, false, client.right - 40, 30);
}

void CDownloadDlg::OnUi(const std::function<void()>& change) {
  m_Links.ui.Invoke([&] {
    if (hwnd() != nullptr) change();
  });
}

void CDownloadDlg::ClearLog() {
  OnUi([&] {
    if (m_log != nullptr) SendMessageW(m_log, LVM_DELETEALLITEMS, 0, 0);
    m_logRow = 0;
    m_logRowIsProgress = false;
  });
}

void CDownloadDlg::LogLine(const std::wstring& date, const std::wstring& text, bool newLine) {
  if (newLine) {
    OnUi([&] { WriteLogLine(date, text, true); });
    return;
  }
  // Each report replaces the one before: only the newest needs drawing.
  m_Links.ui.Post(ReportKey(this, kReportProgressLine), [this, date, text] {
    if (hwnd() != nullptr) WriteLogLine(date, text, false);
  });
}

void CDownloadDlg::SetLogCell(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(m_log, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// New lines stack up; the progress line of a transfer stays in the row below
// them and is rewritten in place until the next new line moves past it.
void CDownloadDlg::WriteLogLine(const std::wstring& date, const std::wstring& text, bool newLine) {
  if (m_log == nullptr || text.empty()) return;
  const auto insertEmptyRow = [this](int row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(m_log, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  };
  SendMessageW(m_log, WM_SETREDRAW, FALSE, 0);
  if (newLine) {
    if (m_logRowIsProgress) {
      ++m_logRow;
      m_logRowIsProgress = false;
    }
    insertEmptyRow(m_logRow);
    SetLogCell(m_logRow, 0, date);
    SetLogCell(m_logRow, 1, text);
    ++m_logRow;
    insertEmptyRow(m_logRow);
  } else {
    // The row exists after any new line; a progress line before the first
    // new line makes its own.
    if (SendMessageW(m_log, LVM_GETITEMCOUNT, 0, 0) <= m_logRow) insertEmptyRow(m_logRow);
    SetLogCell(m_logRow, 0, date);
    SetLogCell(m_logRow, 1, text);
    SendMessageW(m_log, LVM_REDRAWITEMS, static_cast<WPARAM>(m_logRow), static_cast<LPARAM>(m_logRow));
    m_logRowIsProgress = true;
  }
  SendMessageW(m_log, WM_SETREDRAW, TRUE, 0);
  SendMessageW(m_log, LVM_ENSUREVISIBLE, static_cast<WPARAM>(m_logRow), FALSE);
}

void CDownloadDlg::SetProgress(int percent) {
  m_Links.ui.Post(ReportKey(this, kReportBar), [this, percent] {
    if (hwnd() != nullptr) SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  });
}

void CDownloadDlg::SetHeadingDescription(const wchar_t* textKey) {
  const std::wstring text = m_Texts.GetText(textKey);
  OnUi([&] {
    m_headingDesc = text;
    InvalidateRect(hwnd(), nullptr, FALSE);
  });
}

void CDownloadDlg::ShowRunButtons(bool running) {
  OnUi([&] {
    if (running) {
      SetWindowTextW(m_stopButton.hwnd(), L"Stop");
      SetWindowTextW(m_stopLabel, L"");
    }
    EnableWindow(m_stopButton.hwnd(), running);
    ShowWindow(m_stopButton.hwnd(), running ? SW_SHOW : SW_HIDE);
    EnableWindow(m_closeButton.hwnd(), !running);
    ShowWindow(m_closeButton.hwnd(), running ? SW_HIDE : SW_SHOW);
  });
}

void CDownloadDlg::SetStopEnabled(bool enabled) { OnUi([&] { EnableWindow(m_stopButton.hwnd(), enabled); }); }

void CDownloadDlg::SetStopLabel(const std::wstring& text) { OnUi([&] { SetWindowTextW(m_stopLabel, text.c_str()); }); }

void CDownloadDlg::ShowMessage(const std::wstring& text) {
  m_Links.ui.Invoke([&] { MessageBoxW(hwnd(), text.c_str(), m_AppName.c_str(), MB_OK); });
}

void CDownloadDlg::SetRowKind(int row, int kind) {
  m_Links.ui.Invoke([&] {
    if (m_Links.setRowKind) m_Links.setRowKind(row, kind);
  });
}

void CDownloadDlg::ClosePage() { OnUi([&] { ClosePopup(); }); }

void CDownloadDlg::OpenInstallConfirmation() {
  m_Links.ui.Invoke([&] {
    if (m_Links.openInstallConfirmation) m_Links.openInstallConfirmation();
  });
}

bool CDownloadDlg::OnClientCertNeeded() {
  HINTERNET request = RequestHandle();
  DWORD result = ERROR_CANCELLED;
  m_Links.ui.Invoke([&] {
    void* data = nullptr;
    result = InternetErrorDlg(hwnd(), request, ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, kErrorDialogFlags, &data);
  });
  return result == ERROR_SUCCESS || result == ERROR_INTERNET_FORCE_RETRY;
}

void CDownloadDlg::OnInternetStatus(HINTERNET, DWORD status, void* information, DWORD length) {
  ShowConnectionStatus(status, information, length);
}

void CDownloadDlg::ReportSystemError(UINT messageId, DWORD error) {
  const std::wstring text = SystemReportText(messageId, error);
  if (m_pQueue != nullptr) m_pQueue->OnTransferReport(text);
}

void CDownloadDlg::ReportCodeError(UINT messageId, DWORD code) {
  const std::wstring text = CodeReportText(messageId, code);
  if (m_pQueue != nullptr) m_pQueue->OnTransferReport(text);
}

bool CDownloadDlg::OnAuthChallenge(DWORD& error) {
  HINTERNET request = RequestHandle();
  DWORD result = ERROR_CANCELLED;
  m_Links.ui.Invoke([&] {
    void* data = nullptr;
    result = InternetErrorDlg(hwnd(), request, ERROR_INTERNET_INCORRECT_PASSWORD, kErrorDialogFlags, &data);
  });
  error = result;
  if (result == 0) Abort();
  return result == ERROR_INTERNET_FORCE_RETRY;
}

void CDownloadDlg::OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) {
  if (m_pQueue != nullptr) m_pQueue->OnProgress(bytes, sizeKnown, total, m_startOffset);
}

}  // namespace velkor
