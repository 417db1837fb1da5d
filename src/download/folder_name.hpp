#pragma once
// Names made from outside texts (a hardware ID, a device name) for files and
// folders: the characters that cannot stand in a Windows file name are dropped.

#include <string>
#include <string_view>

namespace velkor {

// Removes every \ / : * ? < > and |, and every control character (U+0000 to
// U+001F, which no file name may hold). A name that is then empty, or nothing
// but dots and blanks ("." and ".." among them, which Windows reads as this
// folder or the one above, trailing dots and blanks being dropped), becomes
// kPlaceholderName: joined to a folder it would otherwise name that folder or
// its parent. The download list's file key is this of the update's hardware ID,
// lower-cased; the backup names its device folders with it too.
std::wstring MakeFolderName(std::wstring_view text);

inline constexpr wchar_t kPlaceholderName[] = L"_";

// The download list's key for an update's hardware ID.
std::wstring DownloadFileKey(std::wstring_view hardwareId);

}  // namespace velkor
