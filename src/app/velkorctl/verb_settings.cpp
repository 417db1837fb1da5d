#include "app/velkorctl/verb_settings.hpp"

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/engine_start.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"

namespace velkor::ctl {
namespace {

int Usage(const Console& console) {
  console.Err(L"velkorctl: usage: settings [--json] | settings set NAME VALUE | settings reset"
              L" (see 'velkorctl help')\n");
  return kExitUsage;
}

// The setting's index by its value name, without regard to case; -1 if none.
int IndexOf(const CSettings& settings, const std::wstring& name) {
  const auto& d = settings.Descriptors();
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (AsciiEqualsNoCase(d[i].valueName, name)) return static_cast<int>(i);
  }
  return -1;
}

int Show(CApplicationState& state, bool json, const Console& console) {
  const CSettings& settings = state.m_Settings;
  const auto& d = settings.Descriptors();
  const std::pair<const wchar_t*, const std::wstring*> folders[] = {
      {L"ProgramFolder", &state.m_strProgramFolder}, {L"DataFolder", &state.m_strDataFolder},
      {L"DownloadFolder", &state.m_strDownloadFolder}, {L"BackupFolder", &state.m_strBackupFolder},
      {L"TempFolder", &state.m_strTempFolder},
  };
  if (json) {
    nlohmann::ordered_json doc;
    for (std::size_t i = 0; i < d.size(); ++i) {
      const std::wstring value = settings.Get(static_cast<int>(i));
      if (d[i].kind == kSettingNumber) {
        doc["settings"][ToUtf8(d[i].valueName)] = ParseDecimal(value);
      } else {
        doc["settings"][ToUtf8(d[i].valueName)] = ToUtf8(value);
      }
    }
    for (const auto& [name, path] : folders) doc["folders"][ToUtf8(name)] = ToUtf8(*path);
    doc["lists"]["download"] = state.m_DownloadList.size();
    doc["lists"]["backup"] = state.m_BackupList.size();
    // The download list's entries as Download.dat holds them: file key -> saved package.
    doc["downloadList"] = nlohmann::ordered_json::object();
    for (const auto& [key, path] : state.m_DownloadList) doc["downloadList"][ToUtf8(key)] = ToUtf8(path);
    console.OutBytes(doc.dump(2) + "\n");
    return kExitOk;
  }
  auto line = [&](const std::wstring& label, const std::wstring& value) {
    std::wstring text = label;
    if (text.size() < 16) text.resize(16, L' ');
    console.Out(text + L" " + value + L"\n");
  };
  for (std::size_t i = 0; i < d.size(); ++i) line(d[i].valueName, settings.Get(static_cast<int>(i)));
  for (const auto& [name, path] : folders) line(name, *path);
  line(L"Download list", std::to_wstring(state.m_DownloadList.size()) + L" entries");
  line(L"Backup list", std::to_wstring(state.m_BackupList.size()) + L" entries");
  return kExitOk;
}

}  // namespace

int RunSettings(const std::vector<std::wstring>& args, const Console& console) {
  const bool show = args.empty() || (args.size() == 1 && args[0] == L"--json");
  const bool set = args.size() == 3 && args[0] == L"set";
  const bool reset = args.size() == 1 && args[0] == L"reset";
  if (!show && !set && !reset) return Usage(console);
  std::unique_ptr<CApplicationState> state = StartEngine();
  if (show) return Show(*state, !args.empty(), console);
  if (reset) {
    state->m_Settings.Init(true);
    return kExitOk;
  }
  const int index = IndexOf(state->m_Settings, args[1]);
  if (index < 0) {
    console.Err(L"velkorctl: unknown setting '" + args[1] + L"' (AutoScan, DownloadLoc, BackupLoc)\n");
    return kExitUsage;
  }
  return state->m_Settings.Set(index, args[2]) ? kExitOk : kExitFailure;
}

}  // namespace velkor::ctl
