#include "app/velkorctl/verb_inventory.hpp"

#include "app/velkorctl/commands.hpp"
#include "base/utf.hpp"
#include "app/velkorctl/device_source.hpp"
#include "app/velkorctl/report_printing.hpp"
#include "inventory/inventory_json.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor::ctl {

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
    PrintDeviceTable(table, count, console);
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
