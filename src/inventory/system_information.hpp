#pragma once
// Facts about the machine that the program shows or decides on: the system
// panel's values, the administrator test and the program's own version. Every
// operation degrades to an empty text (or false) and never shows a message.

#include <cstdint>
#include <optional>
#include <string>

namespace velkor {

// The computer's NetBIOS name, or empty. (GetComputerName itself is the
// system's own name for the call underneath.)
std::wstring GetComputerNameText();
// "ProductName" of the running Windows, as the registry has it.
std::wstring GetOperatingSystemName();
// The first processor's name and identifier, trimmed and single-spaced.
std::wstring GetProcessorName();
std::wstring GetModelName();

// The sum of the physical memory modules' capacities, through WMI. Callers ask
// only when the management service runs or could be started.
class CPhysicalMemoryInfo {
 public:
  // The total in bytes over WMI, whose service is started first when it is
  // stopped; nothing when the service does not run or could not be asked.
  std::optional<std::uint64_t> TotalBytes();
  // FormatSize of the total, or empty.
  std::wstring TotalText();
};

// True when the current user holds full administrator rights (under UAC: only
// when the program runs elevated).
bool IsAdministrator();

// The "FileVersion" string of the running program's version resource, or empty.
std::wstring GetAppVersion();

}  // namespace velkor
