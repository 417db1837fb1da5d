#include "backup/backup_parts_win.hpp"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "backup/zip_file_system_win.hpp"
#include "inventory/os_version_code.hpp"
#include "inventory/system_information.hpp"

namespace velkor {

bool IsDeletableFolder(std::wstring_view folder) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return false;
  if (folder.find_first_of(L"*?") != std::wstring_view::npos) return false;
  std::size_t rootEnd = 0;  // the length of "C:\" or "\\server\share\"
  if (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
      ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'))) {
    rootEnd = 3;
  } else if (folder.size() > 2 && folder[0] == L'\\' && folder[1] == L'\\') {
    const std::size_t server = folder.find(L'\\', 2);
    const std::size_t share = server == std::wstring_view::npos ? server : folder.find(L'\\', server + 1);
    if (server == 2 || share == std::wstring_view::npos || share == server + 1) return false;
    rootEnd = share + 1;
  } else {
    return false;
  }
  return folder.size() > rootEnd;
}

WinBackupParts::WinBackupParts(const CSettings& settings, std::function<bool()> saveList, RelaunchCommand relaunch,
                               CDriverScannerApp& engine)
    : settings_(settings), saveList_(std::move(saveList)), relaunch_(std::move(relaunch)), engine_(engine) {}

LocalTime WinBackupParts::Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.milliseconds = now.wMilliseconds;
  time.valid = now.wYear != 0 && now.wMonth >= 1 && now.wMonth <= 12 && now.wDay >= 1;
  return time;
}

bool WinBackupParts::IsFullAdministrator() { return IsAdministrator(); }

int WinBackupParts::WindowsMajorVersion() { return static_cast<int>(GetOSVersionCode().major); }

bool WinBackupParts::RelaunchElevated() { return StartElevated(relaunch_, exitCode_); }

void WinBackupParts::EndProcess() { ::ExitProcess(exitCode_); }

std::wstring WinBackupParts::ReadBackupLocation() { return settings_.Get(kSettingBackupLoc); }

ZipFileSystem& WinBackupParts::Files() { return ProcessZipFileSystem(); }

bool WinBackupParts::DeleteFolderTree(const std::wstring& folder) {
  if (!IsDeletableFolder(folder)) return false;
  std::wstring from = folder;
  from.push_back(L'\0');  // the list of names ends with a second terminator
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

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
