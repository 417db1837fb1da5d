#pragma once
// ZIP packages and self-extracting ZIP setups, opened with the ZIP layer.

#include <memory>
#include <string>

#include "backup/zip_file_system.hpp"
#include "install/install_package.hpp"

namespace velkor {

// The package opened as a ZIP archive (also one appended to a program); nothing
// when it is not one. Extracting writes every entry below the folder as
// ZipExtractAll does; the archive is closed when the result is destroyed.
std::unique_ptr<OpenedZip> OpenZipPackage(ZipFileSystem& files, const std::wstring& path);

}  // namespace velkor
