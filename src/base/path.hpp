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

// "C:\..." or "\\server\share\...".
bool IsFullPath(std::wstring_view path);

// Whether a folder may be deleted with everything in it: a full path below a
// drive or a share (never the drive or the share itself, never an empty
// server or share name), without wildcards, which the shell would expand,
// without control characters and without a final backslash.
bool IsDeletableFolderPath(std::wstring_view path);

// A path for the shell in double quotes. A path never holds one, so any that
// came with it are dropped rather than let it end the quoting.
std::wstring QuotedPath(std::wstring_view path);

}  // namespace velkor
