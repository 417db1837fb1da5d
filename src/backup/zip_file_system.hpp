#pragma once
// What the archive layer needs from the file system. The Win32 implementation
// (zip_file_system_win) works on the disk; MemoryFileSystem keeps everything in
// memory for tests, fuzzing and benchmarks. Paths are full wide paths; both
// separators are accepted.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_source.hpp"

namespace velkor {

// File attributes in the system's bit values.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
// The attributes an archive entry carries.
inline constexpr std::uint32_t kArchivedAttributes =
    kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeDirectory | kAttributeArchive;

// File times in 100-nanosecond ticks since 1601-01-01 UTC (the system's file
// time); 0 means the time is not known.
struct FileTimes {
  std::uint64_t creation = 0;
  std::uint64_t access = 0;
  std::uint64_t modification = 0;
};

// A file's size, attributes and times, as read when it is opened.
struct FileFacts {
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
  FileTimes times;
};

// What a path names. A reparse point (junction, symbolic link, mount point) is
// reported as such whatever it points to: extraction never goes through one.
enum class PathKind { Missing, File, Folder, Link };

struct FolderItem {
  std::wstring name;  // the item's own name, without its folder
  PathKind kind = PathKind::Missing;
};

// A file being written. It is closed when destroyed; Commit sets its times
// first and reports whether every write reached the disk.
class FileWriter : public ByteSink {
 public:
  // How many bytes will be written, told before the first write.
  virtual void Expect(std::uint64_t /*bytes*/) {}
  virtual bool Commit(const FileTimes& times) = 0;
};

class ZipFileSystem {
 public:
  virtual ~ZipFileSystem() = default;

  // A new archive file; an existing file of that name is replaced.
  virtual std::unique_ptr<SeekableByteSink> CreateArchive(const std::wstring& path) = 0;
  // An existing regular file for reading, with its facts; null when it cannot
  // be opened (missing, a folder, no access).
  virtual std::unique_ptr<ByteSource> OpenFile(const std::wstring& path, FileFacts& facts) = 0;

  virtual PathKind Probe(const std::wstring& path) = 0;
  // Creates one folder whose parent exists; true when it exists as a plain
  // folder afterwards.
  virtual bool MakeFolder(const std::wstring& path) = 0;
  // Creates a file anew with the given attributes. An existing plain file is
  // replaced, also when it is read-only.
  virtual std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, std::uint32_t attributes) = 0;
  virtual bool RemoveFile(const std::wstring& path) = 0;
  // The items of a folder in the order the file system returns them, without
  // "." and "..".
  virtual std::vector<FolderItem> ListFolder(const std::wstring& path) = 0;

  // Archives keep a local date and time beside the exact times; these convert
  // between that and file time by the machine's time zone rules.
  virtual std::uint64_t UtcToLocal(std::uint64_t utc) = 0;
  virtual std::uint64_t LocalToUtc(std::uint64_t local) = 0;
};

}  // namespace velkor
