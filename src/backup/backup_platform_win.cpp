#include "backup/backup_platform_win.hpp"

#include <windows.h>

#include "backup/inf_platform_win.hpp"
#include "backup/zip_file_system_win.hpp"
#include "inventory/registry_read_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

constexpr wchar_t kClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
// The class key is opened as the system's own tools open it, for writing too.
constexpr REGSAM kClassKeyAccess = KEY_READ | KEY_WRITE;

std::wstring StringValue(HKEY key, const wchar_t* name) {
  std::optional<std::wstring> value = ReadRegString(key, name);
  return value ? std::move(*value) : std::wstring();
}

}  // namespace

std::unique_ptr<ByteSource> WinBackupPlatform::OpenShared(const std::wstring& path) {
  return ProcessInfPlatform().OpenShared(path);
}
bool WinBackupPlatform::FileExists(const std::wstring& path) { return ProcessInfPlatform().FileExists(path); }
std::wstring WinBackupPlatform::SpecialFolder(int csidl) { return ProcessInfPlatform().SpecialFolder(csidl); }
std::wstring WinBackupPlatform::DecodeAnsi(std::span<const std::uint8_t> bytes) {
  return ProcessInfPlatform().DecodeAnsi(bytes);
}
std::int32_t WinBackupPlatform::OsVersionCode() { return ProcessInfPlatform().OsVersionCode(); }

std::optional<ClassKeyValues> WinBackupPlatform::ReadClassKey(const std::wstring& driverKey) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kClassKey + driverKey).c_str(), 0, kClassKeyAccess, &opened) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const UniqueRegKey key(opened);
  return ClassKeyValues{StringValue(key.get(), L"InfPath"), StringValue(key.get(), L"InfSection"),
                        StringValue(key.get(), L"InfSectionExt")};
}

std::vector<FolderItem> WinBackupPlatform::ListFolder(const std::wstring& folder) {
  return ProcessZipFileSystem().ListFolder(folder);
}

bool WinBackupPlatform::CreateFolder(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WinBackupPlatform::CopyFileOver(const std::wstring& source, const std::wstring& target) {
  return CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
}

bool WinBackupPlatform::AppendToFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  const UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file.get(), bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

std::int32_t BackupDriversWithEngine(CDriverScannerApp& engine, BackupPlatform& platform, const std::wstring& folder,
                                     std::span<const DeviceRecord> devices, const BackupProgress& progress) {
  const ScopedRedirectionOff redirectionOff(engine);
  return BackupDriversGuarded(platform, engine, folder, devices, progress);
}

}  // namespace velkor
