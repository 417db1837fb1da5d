// velkorctl check-update [--yes|--no]: the window's self-update check, the same
// flow with its messages on standard error and its question answered by the
// option (No without one). update.dll runs without its progress window. When
// the verified setup starts, this process ends with 0 as the window program
// does; otherwise it prints the versions and what the check did.

#include "app/velkorctl/verb_maintenance.hpp"

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/engine_start.hpp"
#include "maintenance/self_update.hpp"
#include "maintenance/self_update_parts_win.hpp"

namespace velkor::ctl {
namespace {

class ConsoleSelfUpdateView final : public SelfUpdateView {
 public:
  ConsoleSelfUpdateView(const Console& console, bool answerYes) : console_(console), answerYes_(answerYes) {}
  void ShowConnectionError(const std::wstring& text) override { console_.Err(text + L"\n"); }
  void ShowNoUpdate(const std::wstring& text) override { console_.Err(text + L"\n"); }
  bool AskToDownload(const std::wstring& text) override {
    console_.Err(text + L"\n");
    console_.Err(answerYes_ ? L"  -> Yes (--yes)\n" : L"  -> No (give --yes to answer Yes)\n");
    return answerYes_;
  }

 private:
  const Console& console_;
  bool answerYes_;
};

struct EndText {
  UpdateCheckEnd end;
  const wchar_t* text;
  int exitCode;
};

constexpr EndText kEnds[] = {
    {UpdateCheckEnd::kNone, L"nothing done: administrator rights are needed", kExitFailure},
    {UpdateCheckEnd::kNotConnected, L"the update service cannot be reached", kExitUnreachable},
    {UpdateCheckEnd::kVersionFileFailed, L"the version file could not be downloaded", kExitFailure},
    {UpdateCheckEnd::kNotVerified, L"the version file is not signed by the update service: no update",
     kExitNotVerified},
    {UpdateCheckEnd::kNoUpdate, L"no newer version", kExitOk},
    {UpdateCheckEnd::kDeclined, L"a newer version is offered; not downloaded", kExitOk},
    {UpdateCheckEnd::kSetupTransferFailed, L"the setup program could not be downloaded", kExitFailure},
    {UpdateCheckEnd::kSetupRejected, L"the setup program is not the one the version file names: deleted, not started",
     kExitNotVerified},
    {UpdateCheckEnd::kSetupNotStarted, L"the setup program could not be started", kExitFailure},
    {UpdateCheckEnd::kSetupStarted, L"the setup program started", kExitOk},
};

}  // namespace

int RunCheckUpdate(const std::vector<std::wstring>& args, const Console& console) {
  bool answerYes = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--yes") {
      answerYes = true;
    } else if (arg == L"--no") {
      answerYes = false;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for check-update (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  const std::unique_ptr<CApplicationState> engine = StartEngine();
  ConsoleSelfUpdateView view(console, answerYes);
  WinSelfUpdateParts parts(engine->m_strDataFolder, "1");
  CSelfUpdate update(view, parts);
  update.CheckForUpdate();
  if (!update.OwnVersion().empty()) console.Out(L"own version: " + update.OwnVersion() + L"\n");
  if (!update.OfferedVersion().empty()) console.Out(L"offered version: " + update.OfferedVersion() + L"\n");
  for (const EndText& end : kEnds) {
    if (end.end == update.LastEnd()) {
      console.Out(std::wstring(end.text) + L"\n");
      return end.exitCode;
    }
  }
  return kExitFailure;
}

}  // namespace velkor::ctl
