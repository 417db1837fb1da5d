#pragma once
// The driver collection's platform on Windows: the INF reader's (files opened
// with read sharing only, the special folders, the ANSI code page, the OS
// version code), the class keys under HKEY_LOCAL_MACHINE, FindFirstFileW
// listings, CreateDirectoryW, CopyFileW, and appends to the index file.

#include "backup/backup_platform.hpp"
#include "backup/backup_restore.hpp"
#include "inventory/driver_scanner_app.hpp"

namespace velkor {

class WinBackupPlatform final : public BackupPlatform {
 public:
  std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) override;
  bool FileExists(const std::wstring& path) override;
  std::wstring SpecialFolder(int csidl) override;
  std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) override;
  std::int32_t OsVersionCode() override;

  std::optional<ClassKeyValues> ReadClassKey(const std::wstring& driverKey) override;
  std::vector<FolderItem> ListFolder(const std::wstring& folder) override;
  bool CreateFolder(const std::wstring& path) override;
  bool CopyFileOver(const std::wstring& source, const std::wstring& target) override;
  bool AppendToFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override;
};

// The engine wrapper the backup run calls: file-system redirection off for
// the calling thread (under WOW64), a CBackupRestore over the platform with
// the engine object's stop handshake, BackupDrivers, redirection back on; 33
// when an exception escaped.
std::int32_t BackupDriversWithEngine(CDriverScannerApp& engine, BackupPlatform& platform, const std::wstring& folder,
                                     std::span<const DeviceRecord> devices, const BackupProgress& progress);

}  // namespace velkor
