#pragma once
// Entry names: how the writer stores them and how the reader turns a stored
// name, which may be hostile, into a path that stays below the folder it is
// joined to.

#include <optional>
#include <string>
#include <string_view>

namespace velkor {

// The name as stored: backslashes turned into slashes, in UTF-8.
std::string ZipStoredName(std::wstring_view entryName);

// Entries whose name ends in .Z .zip .zoo .arc .lzh .arj .gz or .tgz (from the
// last dot of the whole name, any letter case) are already compressed and are
// stored as they are.
bool IsStoredExtension(std::wstring_view entryName);

// The cleaned form of a stored name, with backslashes: leading drives ("X:")
// and separators are dropped, and everything up to and including the last ".."
// segment, repeatedly until neither is left; empty and "." segments and
// trailing separators go. ../../x.sys, ../x.sys and C:\x.sys all give x.sys.
std::wstring CleanZipEntryName(std::wstring_view name);

// Whether a cleaned name can be written below a folder and lands where it
// says: not empty; no ":" (alternate data streams), control characters or
// characters file names cannot hold; no segment that ends in a dot or a space
// (the system drops them, so "x." would write "x"); no device name (CON, NUL,
// COM1, ... with any extension).
bool IsSafeZipEntryName(std::wstring_view cleaned);

// A single file or folder name that can be joined to a folder as it stands
// and stays in it: no separator, and safe as an archive entry name (no "..",
// no drive or stream colon, no device name, no final dot or space).
bool IsPlainFileName(std::wstring_view name);

// CleanZipEntryName, then none unless the result is safe.
std::optional<std::wstring> SafeZipEntryPath(std::wstring_view name);

}  // namespace velkor
