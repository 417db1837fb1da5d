// velkorctl request [--inventory FILE]: the scan request document, byte for
// byte as the update service would receive it, in UTF-8.

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/device_source.hpp"
#include "app/velkorctl/verb_lookup.hpp"
#include "base/utf.hpp"
#include "inventory/os_version_code.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor::ctl {

int RunRequest(const std::vector<std::wstring>& args, const Console& console) {
  std::wstring inventory;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--inventory" && i + 1 < args.size() && !args[i + 1].empty()) {
      inventory = args[++i];
    } else {
      console.Err(L"velkorctl: usage: velkorctl request [--inventory FILE] (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  RecordTable devices(kDeviceTableCapacity);
  std::int32_t count = 0;
  if (!LoadDeviceTable(inventory, devices, count, console)) return kExitFailure;

  CXml xml;
  CMarkup document;
  xml.BuildScanRequest(devices, count, GetOSVersionCode().code, document);
  console.OutBytes(ToUtf8(document.DocumentText()));
  return kExitOk;
}

}  // namespace velkor::ctl
