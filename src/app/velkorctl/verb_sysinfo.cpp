#include "app/velkorctl/verb_sysinfo.hpp"

#include <nlohmann/json.hpp>

#include "app/velkorctl/commands.hpp"
#include "base/utf.hpp"
#include "inventory/system_information.hpp"
#include "inventory/system_text.hpp"

// The OS version code comes from the inventory's enumeration code; a build
// without it leaves the line out.
#if __has_include("inventory/os_version_code.hpp")
#include "inventory/os_version_code.hpp"
#define VELKOR_HAS_OS_VERSION_CODE 1
#endif

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
#ifdef VELKOR_HAS_OS_VERSION_CODE
  int osVersionCode = -1;
#endif
};

Summary Gather() {
  Summary s;
  s.computerName = GetComputerNameText();
  s.operatingSystem = GetOperatingSystemName();
  s.totalMemory = CPhysicalMemoryInfo().TotalText();
  s.processor = GetProcessorName();
  s.processorShown = CutProcessorName(s.processor);
  s.model = GetModelName();
  s.administrator = IsAdministrator();
  s.version = GetAppVersion();
#ifdef VELKOR_HAS_OS_VERSION_CODE
  s.osVersionCode = GetOSVersionCode().code;
#endif
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
#ifdef VELKOR_HAS_OS_VERSION_CODE
    doc["os_version_code"] = s.osVersionCode;
#endif
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
#ifdef VELKOR_HAS_OS_VERSION_CODE
  line(L"OS version code:", std::to_wstring(s.osVersionCode));
#endif
  return kExitOk;
}

}  // namespace velkor::ctl
