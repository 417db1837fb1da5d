#pragma once
// Joining folder texts. Folder texts in this program always end in a backslash.

#include <string>
#include <string_view>

namespace velkor {

// Both separators the system accepts in paths.
inline bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// If both are non-empty, one leading backslash of the piece is dropped and a
// backslash is put between them unless the path already ends in one; if either is
// empty the two are simply concatenated. JoinPath(p, L"\\") therefore only makes
// sure p ends in a backslash.
std::wstring JoinPath(std::wstring_view path, std::wstring_view piece);

// A path for the shell in double quotes. A path never holds one, so any that
// came with it are dropped rather than let it end the quoting.
std::wstring QuotedPath(std::wstring_view path);

}  // namespace velkor
