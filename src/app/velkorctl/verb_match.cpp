// velkorctl match --answer FILE [--inventory FILE] [--json]: reads an answer
// document of the update service against a device table and shows which
// devices get an update, with the update records and the sorted update list.

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/device_source.hpp"
#include "app/velkorctl/verb_lookup.hpp"
#include "base/utf.hpp"
#include "inventory/classification.hpp"
#include "inventory/inventory_json.hpp"
#include "lookup/document_bytes.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor::ctl {
namespace {

using Json = nlohmann::ordered_json;

// An answer for a full table is a few megabytes; anything far beyond is not one.
constexpr std::size_t kMaxAnswerBytes = 64u * 1024u * 1024u;

// The update slots that were filled, as objects with "number" and every field
// of the record under its name (the same names as a saved inventory).
Json FilledUpdates(const RecordTable& updates, std::int32_t count) {
  Json filled = Json::array();
  for (Json& entry : Json::parse(WriteInventoryJson(updates, static_cast<std::size_t>(count)))) {
    if (!entry["HardwareId"].get<std::string>().empty()) filled.push_back(std::move(entry));
  }
  return filled;
}

std::wstring TextReport(const Json& filled, const RecordTable& devices, std::int32_t updateCount,
                        const std::vector<std::wstring>& updateList) {
  std::wstring out;
  for (const Json& entry : filled) {
    const auto number = entry["number"].get<std::int32_t>();
    out += L"Device " + std::to_wstring(number) + L": " + devices[static_cast<std::size_t>(number)].Name + L"\n";
    for (const auto& [key, value] : entry.items()) {
      if (key == "number") continue;
      std::wstring text;
      if (value.is_string()) {
        if (value.get<std::string>().empty()) continue;
        text = FromUtf8(value.get<std::string>());
      } else {
        text = std::to_wstring(value.get<std::int32_t>());
      }
      std::wstring name = FromUtf8(key);
      name.resize(std::max<std::size_t>(name.size(), 18), L' ');
      out += L"  " + name + L" " + text + L"\n";
    }
  }
  out += L"Update list:\n";
  for (const std::wstring& line : updateList) out += L"  " + line + L"\n";
  out += std::to_wstring(updateCount) + (updateCount == 1 ? L" device has an update" : L" devices have updates") +
         L", " + std::to_wstring(updateList.size()) + L" listed\n";
  return out;
}

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

  const Json filled = FilledUpdates(updates, deviceCount);
  if (json) {
    Json report = Json::object();
    report["updateCount"] = updateCount;
    report["updates"] = filled;
    report["updateList"] = Json::array();
    for (const std::wstring& line : updateList) report["updateList"].push_back(ToUtf8(line));
    console.OutBytes(report.dump(2) + "\n");
  } else {
    console.Out(TextReport(filled, devices, updateCount, updateList));
  }
  return kExitOk;
}

}  // namespace velkor::ctl
