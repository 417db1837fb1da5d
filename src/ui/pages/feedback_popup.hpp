#pragma once
// CNagReportFeedbackDlg: the feedback pop-up (kind 8). The e-mail box, the
// problem-type list with its placeholder, the feedback text (rich edit) and
// "View Report" / "Send Feedback"; the checks, the document and the send are
// maintenance/feedback_report's.

#include <string>

#include "core/text_table.hpp"
#include "maintenance/feedback_report.hpp"
#include "ui/pages/popups.hpp"

namespace velkor {

class CNagReportFeedbackDlg : public CPopupWithButtons, private FeedbackView {
 public:
  CNagReportFeedbackDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts, FeedbackSender& sender,
                        std::wstring osCodeText);

 protected:
  void OnInitPopup() override;
  bool OnPopupCommand(int id, int code) override;
  void OnPopupShown(bool visible) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  std::wstring Email() override;
  int ProblemType() override;
  std::wstring FeedbackText() override;
  void ShowWarning(const std::wstring& text) override;
  void ShowReport(const std::wstring& document) override;
  void ShowThanks(const std::wstring& text) override;
  void ClosePopup() override { CGlobalUINag::ClosePopup(); }

  CTextTable& m_Texts;
  CFeedbackReport m_Report;
};

}  // namespace velkor
