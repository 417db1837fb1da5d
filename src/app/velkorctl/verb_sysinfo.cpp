#include "app/velkorctl/verb_sysinfo.hpp"

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "base/utf.hpp"
#include "inventory/system_information.hpp"
#include "inventory/system_text.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor::ctl {
namespace {

struct Summary {
  std::wstring computerName;
  std::wstring operatingSystem;
  std::wstring totalMemory;
  std::wstring processorShown;  // as the panel shows it: at most 40 characters and "..."
  std::wstring processor;
  std::wstring model;
  bool administrator = false;
  std::wstring version;
  int osVersionCode = -1;
};

Summary Gather() {
  Summary s;
  s.computerName = GetComputerNameText();
  s.operatingSystem = GetOperatingSystemName();
  // Over WMI, whose service is started first when it is stopped.
  s.totalMemory = CPhysicalMemoryInfo().TotalText();
  s.processor = GetProcessorName();
  s.processorShown = CutProcessorName(s.processor);
  s.model = GetModelName();
  s.administrator = IsAdministrator();
  s.version = GetAppVersion();
  s.osVersionCode = GetOSVersionCode().code;
  return s;
}

}  // namespace

int RunSysinfo(const std::vector<std::wstring>& args, const Console& console) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--json") {
      json = true;
    } else {
      console.Err(L"velkorctl: 'sysinfo' takes only --json (see 'velkorctl help')\n");
      return kExitUsage;
    }
  }
  const Summary s = Gather();
  if (json) {
    nlohmann::ordered_json doc = {
        {"computer_name", ToUtf8(s.computerName)},
        {"operating_system", ToUtf8(s.operatingSystem)},
        {"total_memory", ToUtf8(s.totalMemory)},
        {"processor", ToUtf8(s.processorShown)},
        {"model", ToUtf8(s.model)},
        {"processor_full", ToUtf8(s.processor)},
        {"administrator", s.administrator},
        {"version", ToUtf8(s.version)},
    };
    doc["os_version_code"] = s.osVersionCode;
    console.OutBytes(doc.dump(2) + "\n");
    return kExitOk;
  }
  auto line = [&](const wchar_t* label, const std::wstring& value) {
    std::wstring text = label;
    text.resize(19, L' ');
    console.Out(text + value + L"\n");
  };
  line(L"Computer Name:", s.computerName);
  line(L"Operating System:", s.operatingSystem);
  line(L"Total Memory:", s.totalMemory);
  line(L"Processor:", s.processorShown);
  line(L"Model:", s.model);
  line(L"Administrator:", s.administrator ? L"yes" : L"no");
  line(L"Program version:", s.version);
  line(L"OS version code:", std::to_wstring(s.osVersionCode));
  return kExitOk;
}

}  // namespace velkor::ctl
