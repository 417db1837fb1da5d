#pragma once
// What the update tool accepts and how it answers. The tool is started with
// administrator rights by the install and the restore as
//   <tool> update "INF path" "hardware ID"
// and accepts nothing else; its exit code says what happened.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkor {

inline constexpr std::uint32_t kToolInstalled = 0;
inline constexpr std::uint32_t kToolInstalledRestartNeeded = 1;
inline constexpr std::uint32_t kToolRefused = 2;       // the system did not install the INF
inline constexpr std::uint32_t kToolBadArguments = 3;  // the command line was refused unread

inline constexpr std::size_t kMaxHardwareIdLength = 200;  // the system's device ID limit
inline constexpr std::size_t kMaxInfPathLength = 259;     // MAX_PATH without the terminator

struct UpdateToolRequest {
  std::wstring infPath;
  std::wstring hardwareId;
};

// Checks the words of the tool's command line (as CommandLineToArgvW gives them,
// the program's own name first): exactly the verb "update" and two values; an
// INF path in drive form (C:\...; never a network path) naming a file "*.inf";
// a hardware ID of printable ASCII characters without quotes, at most 200 long.
// Whether the file exists and where the drive lies is the tool's own check.
std::optional<UpdateToolRequest> ParseUpdateToolArguments(const std::vector<std::wstring>& words);

}  // namespace velkor
