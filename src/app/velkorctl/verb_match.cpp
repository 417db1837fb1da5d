// velkorctl match --answer FILE [--inventory FILE] [--json]: reads an answer
// document of the update service against a device table and shows which
// devices get an update, with the update records and the sorted update list.

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/device_source.hpp"
#include "app/velkorctl/report_printing.hpp"
#include "app/velkorctl/verb_lookup.hpp"
#include "inventory/classification.hpp"
#include "lookup/document_bytes.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor::ctl {
namespace {

// An answer for a full table is a few megabytes; anything far beyond is not one.
constexpr std::size_t kMaxAnswerBytes = 64u * 1024u * 1024u;

}  // namespace

int RunMatch(const std::vector<std::wstring>& args, const Console& console) {
  std::wstring answerPath;
  std::wstring inventory;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
    if (args[i] == L"--answer" && hasValue) {
      answerPath = args[++i];
    } else if (args[i] == L"--inventory" && hasValue) {
      inventory = args[++i];
    } else if (args[i] == L"--json") {
      json = true;
    } else {
      answerPath.clear();
      break;
    }
  }
  if (answerPath.empty()) {
    console.Err(L"velkorctl: usage: velkorctl match --answer FILE [--inventory FILE] [--json]"
                L" (see 'velkorctl help')\n");
    return kExitUsage;
  }

  std::string answerBytes;
  std::wstring error;
  if (!ReadFileBytes(answerPath, kMaxAnswerBytes, answerBytes, error)) {
    console.Err(L"velkorctl: " + error + L"\n");
    return kExitFailure;
  }
  RecordTable devices(kDeviceTableCapacity);
  std::int32_t deviceCount = 0;
  if (!LoadDeviceTable(inventory, devices, deviceCount, console)) return kExitFailure;

  ClassificationSets sets;
  sets.Refill();
  RecordTable updates(kDeviceTableCapacity);
  std::int32_t updateCount = 0;
  std::vector<std::wstring> updateList;
  CXml xml;
  CMarkup document;
  xml.ReadScanAnswer(document, DecodeDocumentBytes(answerBytes),
                     UpdateMatchTables{devices, deviceCount, sets, updates, updateCount, updateList});
  // The engine treats an unreadable answer as one without updates; here the
  // user gave the file, so say what is wrong with it.
  document.ResetCursor();
  if (!document.NextElement()) {
    const std::wstring reason = document.LastError().empty() ? L"no element" : document.LastError();
    console.Err(L"velkorctl: '" + answerPath + L"' is not an answer document: " + reason + L"\n");
    return kExitFailure;
  }

  PrintUpdates(devices, deviceCount, &updates, updateCount, updateList, json, console);
  return kExitOk;
}

}  // namespace velkor::ctl
