#include "backup/backup_parts_win.hpp"

#include <windows.h>

#include <utility>

#include "backup/zip_file_system_win.hpp"
#include "core/folder_tree.hpp"
#include "core/local_clock.hpp"
#include "inventory/os_version_code.hpp"
#include "inventory/system_information.hpp"

namespace velkor {

WinBackupParts::WinBackupParts(const CSettings& settings, std::function<bool()> saveList, RelaunchCommand relaunch,
                               CDriverScannerApp& engine)
    : settings_(settings), saveList_(std::move(saveList)), relaunch_(std::move(relaunch)), engine_(engine) {}

LocalTime WinBackupParts::Now() { return CurrentLocalTime(); }

bool WinBackupParts::IsFullAdministrator() { return IsAdministrator(); }

int WinBackupParts::WindowsMajorVersion() { return static_cast<int>(GetOSVersionCode().major); }

bool WinBackupParts::RelaunchElevated() { return StartElevated(relaunch_, exitCode_); }

void WinBackupParts::EndProcess() { ::ExitProcess(exitCode_); }

std::wstring WinBackupParts::ReadBackupLocation() { return settings_.Get(kSettingBackupLoc); }

ZipFileSystem& WinBackupParts::Files() { return ProcessZipFileSystem(); }

bool WinBackupParts::DeleteFolderTree(const std::wstring& folder) { return velkor::DeleteFolderTree(folder); }

std::optional<std::uint64_t> WinBackupParts::FreeBytes(const std::wstring& folder) {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

std::int32_t WinBackupParts::BackUpDrivers(const std::wstring& folder, std::span<const DeviceRecord> devices,
                                           const BackupProgress& progress) {
  return BackupDriversWithEngine(engine_, platform_, folder, devices, progress);
}

}  // namespace velkor
