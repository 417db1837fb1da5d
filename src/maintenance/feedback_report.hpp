#pragma once
// The feedback report: the pop-up's e-mail address, problem type and text,
// checked and built into an XML document with CMarkup, and handed to the
// network component's SendFeedback.
//
//   <NewDataSet>
//   <osid>4</osid>
//   <Feedback>
//   <email>...</email><problemtype>...</problemtype><content>...</content>
//   </Feedback>
//   </NewDataSet>
//
// A document longer than the component's old 2048-unit buffer (escaping can
// lengthen a 600-character text) is sent whole: our component takes any length.
//
// Platform-free: the pop-up (CNagReportFeedbackDlg) and velkorctl feedback
// implement the view, the network component the sender.

#include <array>
#include <string>

namespace velkor {

inline constexpr std::array<const wchar_t*, 7> kProblemTypes = {
    L"Select Problem Type", L"Driver Update Problem", L"Download Problem", L"Installation Problem",
    L"Backup Problem",      L"Restore Problem",       L"General Feedback",
};
inline constexpr std::size_t kFeedbackEmailLimit = 400;
inline constexpr std::size_t kFeedbackTextLimit = 600;

inline constexpr wchar_t kTextEmailNotCorrect[] = L"Email address is not correct.";
inline constexpr wchar_t kTextEmailEmpty[] = L"Email can not be empty.";
inline constexpr wchar_t kTextSelectFeedbackType[] = L"Please select feedback type.";
inline constexpr wchar_t kTextFeedbackEmpty[] = L"Feedback can not be empty.";
inline constexpr wchar_t kTextFeedbackThanks[] = L"Thank you for providing us the feedback.";

// BuildFeedbackReport's results.
inline constexpr int kReportBuilt = 1;
inline constexpr int kReportBadEmail = -1;
inline constexpr int kReportNoType = -2;
inline constexpr int kReportEmptyText = 0;

class FeedbackView {
 public:
  virtual ~FeedbackView() = default;
  virtual std::wstring Email() = 0;
  // The list's selection (0 is the placeholder; -1 none).
  virtual int ProblemType() = 0;
  virtual std::wstring FeedbackText() = 0;
  // Warning icon; the pop-up stays open with the user's input.
  virtual void ShowWarning(const std::wstring& text) = 0;
  // The document in an OK box captioned with the application name.
  virtual void ShowReport(const std::wstring& document) = 0;
  // Information icon.
  virtual void ShowThanks(const std::wstring& text) = 0;
  virtual void ClosePopup() = 0;
};

class FeedbackSender {
 public:
  virtual ~FeedbackSender() = default;
  // Non-zero from the component: the service accepted the report.
  virtual bool SendFeedback(const std::wstring& document) = 0;
};

class CFeedbackReport {
 public:
  CFeedbackReport(FeedbackView& view, FeedbackSender& sender, std::wstring osCodeText)
      : m_View(view), m_Sender(sender), m_strOsCodeText(std::move(osCodeText)) {}

  // 1 built, -1 bad e-mail address, -2 no problem type, 0 empty text.
  int BuildFeedbackReport();
  // The two buttons. OnSendFeedback is true when the report was accepted.
  void OnViewReport();
  bool OnSendFeedback();
  // Showing the pop-up forgets the last report.
  void Forget();

  const std::wstring& DocumentText() const { return m_strDocument; }

 private:
  FeedbackView& m_View;
  FeedbackSender& m_Sender;
  std::wstring m_strOsCodeText;
  std::wstring m_strOsCode;
  std::wstring m_strEmail;
  std::wstring m_strProblemType;
  std::wstring m_strContent;
  std::wstring m_strDocument;
};

// The e-mail rule: not empty, and the first "@" neither the first nor the last character.
bool IsAcceptedEmail(const std::wstring& email);

}  // namespace velkor
