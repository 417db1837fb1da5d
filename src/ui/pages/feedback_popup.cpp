#include "ui/pages/feedback_popup.hpp"

#include <commctrl.h>
#include <richedit.h>

#include <vector>

#include "ui/resources/ui_resource_ids.h"

namespace velkor {
namespace {

std::wstring ControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(control, buffer.data(), length + 1);
  return std::wstring(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

}  // namespace

CNagReportFeedbackDlg::CNagReportFeedbackDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts,
                                             FeedbackSender& sender, std::wstring osCodeText)
    : CPopupWithButtons(IDD_REPORT_FEEDBACK, fonts, host, texts.GetText(L"IDS_REPORT_FEEDBACK_DESC1"),
                        {IDC_FEEDBACK_VIEW, IDC_FEEDBACK_SEND}),
      m_Texts(texts),
      m_Report(*this, sender, std::move(osCodeText)) {}

void CNagReportFeedbackDlg::OnInitPopup() {
  CPopupWithButtons::OnInitPopup();
  SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_EMAIL, EM_LIMITTEXT, kFeedbackEmailLimit, 0);
  SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_TEXT, EM_EXLIMITTEXT, 0, kFeedbackTextLimit);
  for (const wchar_t* type : kProblemTypes) {
    SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
  }
  SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_TYPE, CB_SETCURSEL, 0, 0);
}

void CNagReportFeedbackDlg::OnPopupShown(bool visible) {
  if (!visible) return;
  SetDlgItemTextW(hwnd(), IDC_FEEDBACK_EMAIL, L"");
  SetDlgItemTextW(hwnd(), IDC_FEEDBACK_TEXT, L"");
  SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_TYPE, CB_SETCURSEL, 0, 0);
  m_Report.Forget();
}

bool CNagReportFeedbackDlg::OnPopupCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  if (id == IDC_FEEDBACK_VIEW) {
    m_Report.OnViewReport();
    return true;
  }
  if (id == IDC_FEEDBACK_SEND) {
    m_Report.OnSendFeedback();
    return true;
  }
  return false;
}

void CNagReportFeedbackDlg::PaintPage(HDC dc, const RECT& client) {
  CPopupWithButtons::PaintPage(dc, client);
  Text(dc, m_Texts.GetText(L"IDS_REPORT_FEEDBACK_DESC2"), 20, 54, kDarkText, 4, false, client.right - 28, 18);
  Text(dc, m_Texts.GetText(L"IDS_REPORT_FEEDBACK_DESC3"), 20, 72, kDarkText, 4, false, client.right - 28, 18);
  Text(dc, m_Texts.GetText(L"IDS_REPORT_FEEDBACK_DESC4"), 25, 100, kDarkText, 2, false, 120, 18);
  Text(dc, m_Texts.GetText(L"IDS_REPORT_FEEDBACK_DESC7"), 25, 132, kDarkText, 2, false, 120, 18);
}

std::wstring CNagReportFeedbackDlg::Email() { return ControlText(GetDlgItem(hwnd(), IDC_FEEDBACK_EMAIL)); }

int CNagReportFeedbackDlg::ProblemType() {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_FEEDBACK_TYPE, CB_GETCURSEL, 0, 0));
}

std::wstring CNagReportFeedbackDlg::FeedbackText() { return ControlText(GetDlgItem(hwnd(), IDC_FEEDBACK_TEXT)); }

void CNagReportFeedbackDlg::ShowWarning(const std::wstring& text) {
  MessageBoxW(hwnd(), text.c_str(), m_Texts.GetAppName().c_str(), MB_OK | MB_ICONWARNING);
}

void CNagReportFeedbackDlg::ShowReport(const std::wstring& document) {
  MessageBoxW(hwnd(), document.c_str(), m_Texts.GetAppName().c_str(), MB_OK);
}

void CNagReportFeedbackDlg::ShowThanks(const std::wstring& text) {
  MessageBoxW(hwnd(), text.c_str(), m_Texts.GetAppName().c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace velkor
