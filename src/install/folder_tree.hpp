#pragma once
// Deleting a folder with everything in it.

#include <string>

namespace velkor {

// Deletes the folder and everything below it through the shell's file
// operation (silent, no confirmation), the path given double-null-terminated.
// Refuses, deleting nothing, an empty or relative path, a drive's root, and a
// path with wildcards (the shell would delete every match) or a final
// backslash. True when the shell reports success.
bool DeleteFolderTree(const std::wstring& path);

}  // namespace velkor
