#include "app/velkorctl/device_choice.hpp"

#include "app/velkorctl/commands.hpp"
#include "base/text.hpp"

namespace velkor::ctl {
namespace {

// Digits only, and few enough that the number fits.
bool IsNumber(const std::wstring& text) {
  if (text.empty() || text.size() > 9) return false;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

}  // namespace

DeviceOption TakeDeviceOption(const std::vector<std::wstring>& args, std::size_t& i, const Console& console,
                              DeviceChoice& choice) {
  if (args[i] == L"--all") {
    choice.all = true;
    return DeviceOption::Taken;
  }
  if (args[i] != L"--device") return DeviceOption::NotOne;
  if (i + 1 >= args.size() || !IsNumber(args[i + 1])) {
    console.Err(L"velkorctl: '--device' needs a device number (see 'velkorctl help')\n");
    return DeviceOption::Usage;
  }
  while (i + 1 < args.size() && IsNumber(args[i + 1])) choice.devices.push_back(ParseDecimal(args[++i]));
  return DeviceOption::Taken;
}

int CheckDeviceChoice(const DeviceChoice& choice, const Console& console) {
  if (choice.all && !choice.devices.empty()) {
    console.Err(L"velkorctl: '--all' and '--device' exclude each other (see 'velkorctl help')\n");
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace velkor::ctl
