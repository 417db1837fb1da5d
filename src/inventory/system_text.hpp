#pragma once
// How the system panel writes its values: sizes in Bytes/KB/MB/GB, and the
// processor and model names cleaned of the padding vendors put in them.

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

// Below 1024 (negative values included): "<n> Bytes". Otherwise divided by 1024
// in single precision until below 1024 or the unit is GB: "%0.2f KB|MB|GB".
std::wstring FormatSize(std::int64_t bytes);

// Trims the ends and collapses every run of spaces to one space.
std::wstring NormaliseSystemText(std::wstring_view text);

// The panel shows at most 40 characters of the processor name: a name of 41 or
// more becomes its first 40 characters and "...".
inline constexpr std::size_t kProcessorNameShown = 40;
std::wstring CutProcessorName(std::wstring_view name);

}  // namespace velkor
