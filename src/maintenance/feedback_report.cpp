#include "maintenance/feedback_report.hpp"

#include "base/text.hpp"
#include "lookup/markup_document.hpp"

namespace velkor {

bool IsAcceptedEmail(const std::wstring& email) {
  const std::size_t at = email.find(L'@');
  return !email.empty() && at != std::wstring::npos && at > 0 && at + 1 < email.size();
}

int CFeedbackReport::BuildFeedbackReport() {
  m_strOsCode = m_strOsCodeText;
  m_strEmail = m_View.Email();
  if (!IsAcceptedEmail(m_strEmail)) return kReportBadEmail;
  const int type = m_View.ProblemType();
  if (type <= 0 || static_cast<std::size_t>(type) >= kProblemTypes.size()) return kReportNoType;
  m_strProblemType = kProblemTypes[static_cast<std::size_t>(type)];
  m_strContent = Trim(m_View.FeedbackText());
  if (m_strContent.empty()) return kReportEmptyText;
  CMarkup document;
  document.AppendElement(L"NewDataSet");
  document.AppendChild(L"osid", m_strOsCode);
  document.AppendChild(L"Feedback");
  document.EnterChild();
  document.AppendChild(L"email", m_strEmail);
  document.AppendChild(L"problemtype", m_strProblemType);
  document.AppendChild(L"content", m_strContent);
  document.LeaveToParent();
  m_strDocument = document.DocumentText();
  return kReportBuilt;
}

void CFeedbackReport::OnViewReport() {
  switch (BuildFeedbackReport()) {
    case kReportBadEmail:
      return m_View.ShowWarning(kTextEmailNotCorrect);
    case kReportNoType:
      return m_View.ShowWarning(kTextSelectFeedbackType);
    case kReportEmptyText:
      return m_View.ShowWarning(kTextFeedbackEmpty);
    default:
      return m_View.ShowReport(m_strDocument);
  }
}

bool CFeedbackReport::OnSendFeedback() {
  switch (BuildFeedbackReport()) {
    case kReportBadEmail:
      m_View.ShowWarning(kTextEmailEmpty);
      return false;
    case kReportNoType:
      m_View.ShowWarning(kTextSelectFeedbackType);
      return false;
    case kReportEmptyText:
      m_View.ShowWarning(kTextFeedbackEmpty);
      return false;
    default:
      break;
  }
  bool accepted = false;
  try {
    accepted = m_Sender.SendFeedback(m_strDocument);
  } catch (...) {
    return false;  // a failed send is silent; the user may send again
  }
  if (!accepted) return false;
  m_View.ShowThanks(kTextFeedbackThanks);
  m_View.ClosePopup();
  return true;
}

void CFeedbackReport::Forget() {
  m_strOsCode.clear();
  m_strEmail.clear();
  m_strProblemType.clear();
  m_strContent.clear();
  m_strDocument.clear();
}

}  // namespace velkor
