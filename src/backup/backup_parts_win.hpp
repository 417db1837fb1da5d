#pragma once
// The backup run's parts over the real system: the clock, the administrator
// test and the elevated start on the backup page, the setting "BackupLoc",
// the disk (the archive layer's file side), the shell's folder deletion, the
// free space, the engine wrapper with the process-wide engine object, and the
// backup list's file.

#include <functional>
#include <string>

#include "backup/backup_platform_win.hpp"
#include "backup/backup_run.hpp"
#include "core/elevated_start.hpp"
#include "core/settings.hpp"

namespace velkor {

class WinBackupParts final : public BackupParts {
 public:
  // saveList writes the backup list ("Backup.dat") and says whether it could.
  WinBackupParts(const CSettings& settings, std::function<bool()> saveList, RelaunchCommand relaunch,
                 CDriverScannerApp& engine = TheDriverScannerApp());

  LocalTime Now() override;
  bool IsFullAdministrator() override;
  int WindowsMajorVersion() override;
  bool RelaunchElevated() override;
  [[noreturn]] void EndProcess() override;
  std::wstring ReadBackupLocation() override;
  ZipFileSystem& Files() override;
  bool DeleteFolderTree(const std::wstring& folder) override;
  std::optional<std::uint64_t> FreeBytes(const std::wstring& folder) override;
  std::int32_t BackUpDrivers(const std::wstring& folder, std::span<const DeviceRecord> devices,
                             const BackupProgress& progress) override;
  bool SaveBackupList() override { return saveList_ && saveList_(); }

 private:
  const CSettings& settings_;
  std::function<bool()> saveList_;
  RelaunchCommand relaunch_;
  CDriverScannerApp& engine_;
  WinBackupPlatform platform_;
  unsigned exitCode_ = 0;
};

}  // namespace velkor
