#pragma once
// Names stored inside downloaded archives are outside input: a cabinet or a RAR
// archive may name "..\..\windows\system32\x.dll", "C:\boot.ini" or the console
// device. Before anything is written, a stored name is turned into a path below
// the unpack folder, or refused.

#include <optional>
#include <string>
#include <string_view>

namespace velkor {

// The stored name as a relative path with backslashes, or nothing when it cannot
// be written below a folder as it stands. Both "/" and "\" separate folders;
// leading separators, empty and "." components are dropped ("/a//./b" is
// "a\b"). Refused: an empty result, "..", a drive or stream colon anywhere, the
// characters < > " | ? * and control characters, components that end in a dot
// or a space (Windows would silently write another name), and the reserved
// device names (CON, NUL, COM1, "lpt1.txt" and the like).
std::optional<std::wstring> SafeRelativePath(std::wstring_view storedName);

// Whether one path component can be written as it stands (the component rules
// above, without separators).
bool IsSafePathComponent(std::wstring_view component);

}  // namespace velkor
