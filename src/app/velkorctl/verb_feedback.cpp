// velkorctl feedback --email E --type TYPE --text TEXT [--view]: the feedback
// pop-up on a console. TYPE is a problem type's text as the list shows it (any
// letter case) or its place in the list (1-6); anything else counts as no type
// chosen. The checks and their texts are the pop-up's: with --view the
// document is printed (the "View Report" button), without it the report is
// sent through Network.dll ("Send Feedback").
//
// Exit codes: 0 shown or sent, 1 refused by the checks (the pop-up's text on
// standard error), 3 not accepted (the component could not deliver it, or the
// service refused it), 4 Network.dll missing.

#include "base/text.hpp"
#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/verb_maintenance.hpp"
#include "core/shell_folders.hpp"
#include "core/update_service.hpp"
#include "download/download_parts_win.hpp"
#include "maintenance/feedback_report.hpp"
#include "maintenance/feedback_sender_win.hpp"

namespace velkor::ctl {
namespace {

class ConsoleFeedbackView final : public FeedbackView {
 public:
  ConsoleFeedbackView(const Console& console, std::wstring email, int type, std::wstring text)
      : console_(console), email_(std::move(email)), type_(type), text_(std::move(text)) {}

  std::wstring Email() override { return email_; }
  int ProblemType() override { return type_; }
  std::wstring FeedbackText() override { return text_; }
  void ShowWarning(const std::wstring& text) override {
    refused_ = true;
    console_.Err(text + L"\n");
  }
  void ShowReport(const std::wstring& document) override { console_.Out(document); }
  void ShowThanks(const std::wstring& text) override { console_.Out(text + L"\n"); }
  void ClosePopup() override {}

  bool Refused() const { return refused_; }

 private:
  const Console& console_;
  std::wstring email_;
  int type_;
  std::wstring text_;
  bool refused_ = false;
};

int ProblemTypeIndex(const std::wstring& text) {
  for (std::size_t i = 1; i < kProblemTypes.size(); ++i) {
    if (AsciiEqualsNoCase(Trim(text), kProblemTypes[i]) || Trim(text) == std::to_wstring(i)) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

}  // namespace

int RunFeedback(const std::vector<std::wstring>& args, const Console& console) {
  std::wstring email, type, text;
  bool view = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    std::wstring* value = arg == L"--email" ? &email : arg == L"--type" ? &type : arg == L"--text" ? &text : nullptr;
    if (arg == L"--view") {
      view = true;
    } else if (value != nullptr && i + 1 < args.size()) {
      *value = args[++i];
    } else {
      console.Err(L"velkorctl: " + std::wstring(value ? L"missing value for '" : L"unknown option '") + arg +
                  L"' for feedback (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  CUpdateService network;
  const bool loaded = network.Load(GetProgramModuleFolder());
  NetworkFeedbackSender sender(network);
  ConsoleFeedbackView form(console, email, ProblemTypeIndex(type), text);
  CFeedbackReport report(form, sender, OsCodeText());
  if (view) {
    report.OnViewReport();
    return form.Refused() ? kExitFailure : kExitOk;
  }
  if (!loaded) {
    console.Err(L"velkorctl: Network.dll not found beside velkorctl.exe\n");
    return kExitNetworkMissing;
  }
  if (report.OnSendFeedback()) return kExitOk;
  if (form.Refused()) return kExitFailure;
  console.Err(L"velkorctl: the update service did not accept the report\n");
  return kExitUnreachable;
}

}  // namespace velkor::ctl
