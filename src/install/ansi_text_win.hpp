#pragma once
// Paths in the thread's ANSI code page, for libraries that take char paths.

#include <optional>
#include <string>
#include <string_view>

namespace velkor {

// The text in the thread's ANSI code page; nothing when a character has no
// exact form there (a lossy name would open another file).
std::optional<std::string> ToThreadAnsi(std::wstring_view text);
// Bytes in the thread's ANSI code page as wide text; nothing when they are not
// valid there.
std::optional<std::wstring> FromThreadAnsi(std::string_view bytes);

}  // namespace velkor
