#include "app/velkorctl/verb_inventory.hpp"

#include <algorithm>
#include <array>

#include "app/velkorctl/commands.hpp"
#include "base/utf.hpp"
#include "app/velkorctl/device_source.hpp"
#include "inventory/inventory_json.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor::ctl {
namespace {

void PrintTable(const RecordTable& table, std::int32_t count, const Console& console) {
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

}  // namespace

int RunInventory(const std::vector<std::wstring>& args, const Console& console) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--json") {
      json = true;
    } else {
      console.Err(L"velkorctl: unknown option '" + arg + L"' for 'inventory' (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }

  RecordTable table(kDeviceTableCapacity);
  std::int32_t count = 0;
  if (!ScanThisMachine(table, count, console, !json && console.OutIsConsole())) return kExitFailure;
  if (json) {
    console.OutBytes(WriteInventoryJson(table, static_cast<std::size_t>(count)));
  } else {
    PrintTable(table, count, console);
  }
  return kExitOk;
}

int RunOsVersion(const std::vector<std::wstring>& args, const Console& console) {
  if (!args.empty()) {
    console.Err(L"velkorctl: 'osversion' takes no arguments (see 'velkorctl help')\n");
    return kExitUsage;
  }
  const OsVersionCode os = GetOSVersionCode();
  console.Out(std::to_wstring(os.code) + L" " + std::to_wstring(os.major) + L"." +
              std::to_wstring(os.minor) + L"\n");
  return kExitOk;
}

}  // namespace velkor::ctl
