#include "app/velkorctl/report_printing.hpp"

#include <algorithm>
#include <array>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "inventory/inventory_json.hpp"

namespace velkor::ctl {
namespace {

using Json = nlohmann::ordered_json;

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

void PrintDeviceTable(const RecordTable& table, std::int32_t count, const Console& console) {
  struct Column {
    const wchar_t* title;
    std::wstring DeviceRecord::*field;
  };
  const std::array<Column, 6> columns = {{
      {L"Class", &DeviceRecord::ClassDescription},
      {L"Name", &DeviceRecord::Name},
      {L"Version", &DeviceRecord::DriverVersion},
      {L"Date", &DeviceRecord::DriverDate},
      {L"Provider", &DeviceRecord::Provider},
      {L"Hardware ID", &DeviceRecord::HardwareId},
  }};
  std::array<std::size_t, 6> widths{};
  for (std::size_t c = 0; c < columns.size(); ++c) {
    widths[c] = std::wstring(columns[c].title).size();
    for (std::int32_t i = 0; i < count; ++i) {
      widths[c] = std::max(widths[c], (table[i].*columns[c].field).size());
    }
  }
  const std::size_t numberWidth = std::max<std::size_t>(2, std::to_wstring(count).size());
  auto pad = [](std::wstring text, std::size_t width) {
    if (text.size() < width) text.resize(width, L' ');
    return text;
  };
  std::wstring out = pad(L"No", numberWidth);
  for (std::size_t c = 0; c < columns.size(); ++c) out += L"  " + pad(columns[c].title, widths[c]);
  while (!out.empty() && out.back() == L' ') out.pop_back();
  out += L"\n";
  for (std::int32_t i = 0; i < count; ++i) {
    std::wstring line = pad(std::to_wstring(i), numberWidth);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      line += L"  " + pad(table[i].*columns[c].field, widths[c]);
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    out += line + L"\n";
  }
  out += std::to_wstring(count) + (count == 1 ? L" device\n" : L" devices\n");
  console.Out(out);
}

void PrintUpdates(const RecordTable& devices, std::int32_t deviceCount, const RecordTable* updates,
                  std::int32_t updateCount, const std::vector<std::wstring>& updateList, bool json,
                  const Console& console) {
  const Json filled = updates != nullptr ? FilledUpdates(*updates, deviceCount) : Json::array();
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
}

}  // namespace velkor::ctl
