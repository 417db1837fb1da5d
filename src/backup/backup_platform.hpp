#pragma once
// What the driver collection needs from the system besides what the INF reader
// needs: the device's driver values in its class key, folder listings for the
// file searches and the driver store, folders, copies and the index file. The
// Win32 implementation is backup_platform_win; tests supply one over a memory
// file system.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "backup/inf_platform.hpp"
#include "backup/zip_file_system.hpp"

namespace velkor {

// The values of a driver's class key that name its INF file and install
// section. A value that is missing or of another type than REG_SZ and
// REG_EXPAND_SZ reads as empty.
struct ClassKeyValues {
  std::wstring infPath;     // "InfPath": the INF's name in the system INF folder
  std::wstring section;     // "InfSection"
  std::wstring sectionExt;  // "InfSectionExt": the decoration, may be empty
};

class BackupPlatform : public InfPlatform {
 public:
  // HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class\ + driverKey,
  // opened for reading and writing (KEY_READ | KEY_WRITE) and closed again.
  // None when the key cannot be opened (for example without administrator
  // rights, since it is opened for writing too).
  virtual std::optional<ClassKeyValues> ReadClassKey(const std::wstring& driverKey) = 0;
  // The items of a folder in the order the system returns them, without "."
  // and ".."; a reparse point (junction, symbolic link, mount point) is a Link.
  virtual std::vector<FolderItem> ListFolder(const std::wstring& folder) = 0;
  // Creates one folder whose parent exists; true when it exists afterwards.
  virtual bool CreateFolder(const std::wstring& path) = 0;
  // Copies a file, replacing a target that exists.
  virtual bool CopyFileOver(const std::wstring& source, const std::wstring& target) = 0;
  // Opens the file for writing (created when missing, never truncated) and
  // writes the bytes at its end; false when it cannot be opened or written.
  virtual bool AppendToFile(const std::wstring& path, std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace velkor
