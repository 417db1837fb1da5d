#pragma once
// The system folders the program builds its own folders from. Each is returned
// without a trailing backslash except the temporary folder, which the system
// gives with one; empty when the system cannot say.

#include <string>

namespace velkor {

// The folder of a CSIDL value (SHGetSpecialFolderPathW).
std::wstring GetSpecialFolder(int csidl);
std::wstring GetAppDataFolder();        // per-user application data (CSIDL_APPDATA)
std::wstring GetProgramFilesFolder();   // CSIDL_PROGRAM_FILES
std::wstring GetWindowsFolder();
std::wstring GetUserTempFolder();       // GetTempPathW, ends in a backslash
// The folder of the running program, ending in a backslash.
std::wstring GetProgramModuleFolder();
// Full path of the running program.
std::wstring GetProgramModulePath();

// Creates one folder level when it does not exist yet; true when it exists after.
bool EnsureFolder(const std::wstring& folder);
bool FolderExists(const std::wstring& folder);

}  // namespace velkor
