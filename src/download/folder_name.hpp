#pragma once
// Names made from outside texts (a hardware ID, a device name) for files and
// folders: the characters that cannot stand in a Windows file name are dropped.

#include <string>
#include <string_view>

namespace velkor {

// Removes every \ / : * ? < > and |. The download list's file key is this of
// the update's hardware ID, lower-cased; the backup names its device folders
// with it too.
std::wstring MakeFolderName(std::wstring_view text);

// The download list's key for an update's hardware ID.
std::wstring DownloadFileKey(std::wstring_view hardwareId);

}  // namespace velkor
