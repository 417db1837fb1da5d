// The feedback report against a recorder that is the pop-up and the sender.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "maintenance/feedback_report.hpp"

namespace velkor {
namespace {

class Form final : public FeedbackView, public FeedbackSender {
 public:
  std::wstring email = L"user@example.com";
  int type = 2;
  std::wstring text = L"It & it";
  bool accept = true;
  bool throwOnSend = false;
  std::vector<std::wstring> log;
  std::vector<std::wstring> sent;

  std::wstring Email() override { return email; }
  int ProblemType() override { return type; }
  std::wstring FeedbackText() override { return text; }
  void ShowWarning(const std::wstring& t) override { log.push_back(L"warning: " + t); }
  void ShowReport(const std::wstring& document) override { log.push_back(L"report: " + document); }
  void ShowThanks(const std::wstring& t) override { log.push_back(L"info: " + t); }
  void ClosePopup() override { log.push_back(L"closed"); }
  bool SendFeedback(const std::wstring& document) override {
    if (throwOnSend) throw std::runtime_error("component");
    sent.push_back(document);
    return accept;
  }
};

constexpr wchar_t kDocument[] =
    L"<NewDataSet>\r\n<osid>4</osid>\r\n<Feedback>\r\n<email>user@example.com</email>\r\n"
    L"<problemtype>Download Problem</problemtype>\r\n<content>It &amp; it</content>\r\n</Feedback>\r\n"
    L"</NewDataSet>\r\n";

TEST(FeedbackReport, DocumentByteForByteWithTheAmpersandEscaped) {
  Form form;
  form.text = L" \r\n It & it\t\r\n";
  CFeedbackReport report(form, form, L"4");
  EXPECT_EQ(report.BuildFeedbackReport(), kReportBuilt);
  EXPECT_EQ(report.DocumentText(), kDocument);
  EXPECT_TRUE(report.OnSendFeedback());
  ASSERT_EQ(form.sent.size(), 1u);
  EXPECT_EQ(form.sent[0], kDocument);
  const std::vector<std::wstring> expected = {L"info: Thank you for providing us the feedback.", L"closed"};
  EXPECT_EQ(form.log, expected);
  report.Forget();
  EXPECT_TRUE(report.DocumentText().empty());
}

TEST(FeedbackReport, ValidationAsATableForBothButtons) {
  struct Case {
    const wchar_t* email;
    int type;
    const wchar_t* text;
    int code;
    const wchar_t* view;  // the warning of "View Report" (nullptr: the report is shown)
    const wchar_t* send;  // the warning of "Send Feedback" (nullptr: sent)
  };
  const Case cases[] = {
      {L"", 2, L"x", kReportBadEmail, kTextEmailNotCorrect, kTextEmailEmpty},
      {L"@example.com", 2, L"x", kReportBadEmail, kTextEmailNotCorrect, kTextEmailEmpty},
      {L"user@", 2, L"x", kReportBadEmail, kTextEmailNotCorrect, kTextEmailEmpty},
      {L"user", 2, L"x", kReportBadEmail, kTextEmailNotCorrect, kTextEmailEmpty},
      {L"u@x", 2, L"x", kReportBuilt, nullptr, nullptr},
      {L"a@@", 2, L"x", kReportBuilt, nullptr, nullptr},  // the first "@" decides
      {L"u@x", 0, L"x", kReportNoType, kTextSelectFeedbackType, kTextSelectFeedbackType},
      {L"u@x", -1, L"x", kReportNoType, kTextSelectFeedbackType, kTextSelectFeedbackType},
      {L"u@x", 7, L"x", kReportNoType, kTextSelectFeedbackType, kTextSelectFeedbackType},
      {L"u@x", 6, L"   \t ", kReportEmptyText, kTextFeedbackEmpty, kTextFeedbackEmpty},
      {L"u@x", 6, L"", kReportEmptyText, kTextFeedbackEmpty, kTextFeedbackEmpty},
      {L"", 0, L"", kReportBadEmail, kTextEmailNotCorrect, kTextEmailEmpty},  // the e-mail first
  };
  for (const Case& c : cases) {
    Form form;
    form.email = c.email;
    form.type = c.type;
    form.text = c.text;
    CFeedbackReport report(form, form, L"4");
    EXPECT_EQ(report.BuildFeedbackReport(), c.code);
    report.OnViewReport();
    report.OnSendFeedback();
    ASSERT_FALSE(form.log.empty());
    EXPECT_EQ(form.log[0], c.view ? L"warning: " + std::wstring(c.view) : L"report: " + report.DocumentText());
    if (c.send) {
      EXPECT_EQ(form.log.back(), L"warning: " + std::wstring(c.send));
      EXPECT_TRUE(form.sent.empty());
    } else {
      EXPECT_EQ(form.sent.size(), 1u);
    }
  }
}

TEST(FeedbackReport, FailedOrThrowingSendIsSilentAndThePopupStays) {
  Form form;
  form.accept = false;
  CFeedbackReport report(form, form, L"4");
  EXPECT_FALSE(report.OnSendFeedback());
  form.accept = true;
  form.throwOnSend = true;
  EXPECT_FALSE(report.OnSendFeedback());
  EXPECT_TRUE(form.log.empty());
  form.throwOnSend = false;
  EXPECT_TRUE(report.OnSendFeedback());  // and may send again
}

TEST(FeedbackReport, ALongDocumentIsSentWhole) {
  Form form;
  form.text = std::wstring(600, L'&');  // 3000 units once escaped
  CFeedbackReport report(form, form, L"4");
  EXPECT_TRUE(report.OnSendFeedback());
  ASSERT_EQ(form.sent.size(), 1u);
  EXPECT_GT(form.sent[0].size(), 3000u);
  EXPECT_NE(form.sent[0].find(L"</NewDataSet>"), std::wstring::npos);
}

}  // namespace
}  // namespace velkor
