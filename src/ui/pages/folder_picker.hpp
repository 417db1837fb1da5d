#pragma once
// The system's folder picker and the test that a chosen folder can be written.

#include <windows.h>

#include <string>

namespace velkor {

// Shows the picker titled "Choose directory" (file-system folders, new dialog
// style) with `current` preselected. Empty when cancelled; otherwise the
// folder, ending in a backslash.
std::wstring PickFolder(HWND owner, const std::wstring& current);

// True when a subfolder `testName` can be created in `folder`; the test folder
// is removed again. An existing folder of that name makes the test fail and is
// left alone.
bool FolderIsWritable(const std::wstring& folder, const wchar_t* testName);

}  // namespace velkor
