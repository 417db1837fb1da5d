#include "backup/zip_file_system_win.hpp"

#include <windows.h>

#include "backup/zip_archive.hpp"
#include "base/path.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

std::uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

PathKind KindOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  return PathKind::File;
}

class WinFileWriter final : public FileWriter {
 public:
  explicit WinFileWriter(UniqueKernelHandle file) : file_(std::move(file)) {}

  bool Write(std::span<const std::uint8_t> bytes) override {
    while (!failed_ && !bytes.empty()) {
      const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data(), piece, &written, nullptr) || written == 0) failed_ = true;
      bytes = bytes.subspan(written);
    }
    return !failed_;
  }

  bool Flush() override { return !failed_; }

  bool Commit(const FileTimes& times) override {
    if (failed_ || !file_) return false;
    const FILETIME creation = ToFileTime(times.creation);
    const FILETIME access = ToFileTime(times.access);
    const FILETIME modification = ToFileTime(times.modification);
    const bool timesSet = SetFileTime(file_.get(), times.creation ? &creation : nullptr,
                                      times.access ? &access : nullptr, times.modification ? &modification : nullptr);
    // The file is complete only once the system has taken all of it.
    const bool closed = CloseHandle(file_.release()) != 0;
    return timesSet && closed;
  }

 private:
  UniqueKernelHandle file_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<SeekableByteSink> WinZipFileSystem::CreateArchive(const std::wstring& path) {
  return FileByteSink::Create(path);
}

std::unique_ptr<ByteSource> WinZipFileSystem::OpenFile(const std::wstring& path, FileFacts& facts) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return nullptr;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return nullptr;
  std::unique_ptr<ByteSource> source = FileByteSource::Open(path);
  if (!source) return nullptr;
  facts.size = source->Size();
  facts.attributes = data.dwFileAttributes & kArchivedAttributes;
  facts.times = {FromFileTime(data.ftCreationTime), FromFileTime(data.ftLastAccessTime),
                 FromFileTime(data.ftLastWriteTime)};
  return source;
}

PathKind WinZipFileSystem::Probe(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return KindOf(attributes);
}

bool WinZipFileSystem::MakeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  return Probe(path) == PathKind::Folder;
}

std::unique_ptr<FileWriter> WinZipFileSystem::CreateNewFile(const std::wstring& path, std::uint32_t attributes) {
  // An existing file is deleted first (read-only or not) and the new one is
  // made with CREATE_NEW, which never opens what is already there: a link
  // that appeared meanwhile makes the creation fail instead of being followed.
  const PathKind existing = Probe(path);
  if (existing == PathKind::Link || existing == PathKind::Folder) return nullptr;
  if (existing == PathKind::File && !RemoveFile(path)) return nullptr;
  const DWORD flags = (attributes & kArchivedAttributes & ~kAttributeDirectory) != 0
                          ? (attributes & kArchivedAttributes & ~kAttributeDirectory)
                          : FILE_ATTRIBUTE_NORMAL;
  UniqueKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<WinFileWriter>(std::move(file));
}

bool WinZipFileSystem::RemoveFile(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str()) != 0;
}

std::vector<FolderItem> WinZipFileSystem::ListFolder(const std::wstring& path) {
  std::vector<FolderItem> items;
  std::wstring pattern = path;
  if (!pattern.empty() && !IsPathSeparator(pattern.back())) pattern.push_back(L'\\');
  pattern.push_back(L'*');
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &found));
  if (!find) return items;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    items.push_back({name, KindOf(found.dwFileAttributes)});
  } while (FindNextFileW(find.get(), &found));
  return items;
}

std::uint64_t WinZipFileSystem::UtcToLocal(std::uint64_t utc) {
  // By the time zone's rules for that date (summer time included), as the
  // system shows file times.
  const FILETIME in = ToFileTime(utc);
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  FILETIME out{};
  if (FileTimeToSystemTime(&in, &universal) && SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) &&
      SystemTimeToFileTime(&local, &out)) {
    return FromFileTime(out) + utc % 10000;  // below a millisecond SYSTEMTIME has nothing
  }
  return utc;
}

std::uint64_t WinZipFileSystem::LocalToUtc(std::uint64_t local) {
  const FILETIME in = ToFileTime(local);
  SYSTEMTIME localTime{};
  SYSTEMTIME universal{};
  FILETIME out{};
  if (FileTimeToSystemTime(&in, &localTime) && TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &universal) &&
      SystemTimeToFileTime(&universal, &out)) {
    return FromFileTime(out) + local % 10000;
  }
  return local;
}

ZipFileSystem& ProcessZipFileSystem() {
  static WinZipFileSystem files;
  return files;
}

ZipHandle ZipCreate(const std::wstring& path) { return ZipCreate(ProcessZipFileSystem(), path); }
ZipHandle ZipOpen(const std::wstring& path) { return ZipOpen(ProcessZipFileSystem(), path); }

}  // namespace velkor
