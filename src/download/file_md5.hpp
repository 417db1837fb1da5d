#pragma once
// Checksums of downloaded packages and the test whether a package already on
// disk is the one the update service offers.

#include <string>

#include "core/list_file.hpp"
#include "inventory/device_record.hpp"

namespace velkor {

// The MD5 of a file as 32 lower-case hexadecimal digits, read in bounded
// chunks; empty when the path is empty or the file cannot be opened.
std::wstring FileMd5(const std::wstring& path);

// A package is ready to install when the download list has the update's file
// key, the file it names exists, and its MD5 equals the update's Md5 (letter
// case aside). A changed or deleted file has to be downloaded again.
bool PackageReady(const StringMap& downloadList, const DeviceRecord& update);

}  // namespace velkor
