#pragma once
// The archive layer: a writer that creates a ZIP archive and adds files to it
// one by one, and a reader that lists an archive's entries and extracts them
// below a base folder. Backups are written and read back with it; downloaded
// ZIP packages and self-extracting ZIP setups are unpacked with it.
//
//   writer: ZipCreate, ZipAddFile for each file, ZipClose
//   reader: ZipOpen, ZipGetEntry(-1) for the count, then for each index
//           ZipGetEntry, ZipSetBaseFolder and ZipExtractEntry, then ZipClose
//
// Every function takes the handle that ZipCreate or ZipOpen returned. The
// handle owns the open archive; ZipClose finishes and releases it (a handle
// destroyed without ZipClose is closed the same way, its result unseen).
// Archives are read as hostile input: names never lead out of the base folder,
// every extracted entry's size and CRC are checked, and what one archive may
// expand to is bounded (ZipReadLimits).

#include <cstdint>
#include <memory>
#include <string>

#include "backup/zip_file_system.hpp"

namespace velkor {

// Result codes. Callers test for zero versus non-zero; the values say why.
inline constexpr int kZipOk = 0;
inline constexpr int kZipCannotOpen = 512;       // a file cannot be created or opened
inline constexpr int kZipWriteFailed = 1024;
inline constexpr int kZipReadFailed = 2048;
inline constexpr int kZipDamaged = 4096;         // headers or directory inconsistent, entries overlap
inline constexpr int kZipBadCrc = 8192;          // the extracted bytes do not match the entry's CRC-32
inline constexpr int kZipBadData = 16384;        // the compressed data is broken or its size is wrong
inline constexpr int kZipTooLarge = 32768;       // beyond the limits of ZipReadLimits
inline constexpr int kZipBadArgument = 0x10000;  // null handle, index out of range
inline constexpr int kZipUnsupported = 0x20000;  // encrypted, or a compression method other than stored and deflate
inline constexpr int kZipUnsafeName = 0x40000;   // a name that cannot be written below the base folder
inline constexpr int kZipWrongKind = 0x80000;    // a reader operation on a writer handle or the reverse

// One entry as the reader lists it.
struct ZipEntry {
  // The entry's index; asked for index -1, the number of entries instead and
  // nothing else.
  int index = 0;
  // Decoded from UTF-8 and cleaned (CleanZipEntryName): relative, with
  // backslashes, never leading out of the folder it is joined to.
  std::wstring name;
  std::uint32_t attributes = 0;  // kArchivedAttributes bits
  FileTimes times;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
};

// What one archive may expand to, judged from its directory when it is opened
// (an archive beyond a limit does not open). The declared sizes bind: an entry
// whose data expands beyond its declared size fails, so the sum of declared
// sizes bounds what extraction writes.
struct ZipReadLimits {
  std::uint64_t maxEntries = 100000;
  std::uint64_t maxTotalBytes = std::uint64_t{16} << 30;  // sum of the uncompressed sizes
  // Beyond ratioFreeBytes in all, the entries may expand to at most maxRatio
  // times the archive's size. Driver packages and backups stay far below
  // (firmware padding included); only crafted archives go above.
  std::uint64_t maxRatio = 100;
  std::uint64_t ratioFreeBytes = std::uint64_t{1} << 30;
};

struct ZipWriteOptions {
  int level = 6;  // zlib's compression level
  // Entries and offsets at or above this size get ZIP64 records; tests lower it
  // to exercise them with small files.
  std::uint64_t zip64Threshold = 0xFFFFFFFFu;
};

class CZipArchive;
struct ZipArchiveCloser {
  void operator()(CZipArchive* archive) const noexcept;
};
using ZipHandle = std::unique_ptr<CZipArchive, ZipArchiveCloser>;

// Writer. The file is created anew, replacing an existing one; null when it
// cannot be created.
ZipHandle ZipCreate(ZipFileSystem& files, const std::wstring& path, const ZipWriteOptions& options = {});
// Reads sourcePath and stores it under entryName (backslashes become slashes,
// UTF-8). Stored without compression for the extensions .Z .zip .zoo .arc .lzh
// .arj .gz .tgz (any letter case), deflated otherwise.
int ZipAddFile(const ZipHandle& handle, const std::wstring& sourcePath, const std::wstring& entryName);

// Reader. Null when the file cannot be opened or is not a ZIP archive (also
// one appended to a program, as self-extracting setups are).
ZipHandle ZipOpen(ZipFileSystem& files, const std::wstring& path, const ZipReadLimits& limits = {});
// Fills entry for index; index -1 gives the number of entries in entry.index.
// Returns 0, kZipBadArgument, kZipWrongKind, or for an entry that is known not
// to extract the code ZipExtractEntry will give (entry is still filled).
int ZipGetEntry(const ZipHandle& handle, int index, ZipEntry& entry);
// The folder below which later extractions write; a missing trailing
// backslash is added.
int ZipSetBaseFolder(const ZipHandle& handle, const std::wstring& folder);
// Writes entry index to base folder + name, creating the base folder and every
// folder of the name as needed. The name is cleaned again like an entry name,
// so nothing is ever written outside the base folder. A file is created anew
// with the entry's attributes, filled in chunks of 16384 bytes and given the
// entry's times; one that fails its checks is deleted again.
int ZipExtractEntry(const ZipHandle& handle, int index, const std::wstring& name);

// Finishes and releases either kind of handle; the handle is null afterwards.
// A writer writes its central directory and closes the file.
int ZipClose(ZipHandle& handle);

// What the callers do with whole folders. ZipAddFolder adds every file below
// folder under its path relative to folder: the items of each folder in the
// order the file system returns them, a subfolder's files right after the
// subfolder (links are not followed). ZipExtractAll extracts every entry below
// folder under its own name. Both go on after a failed file or entry and
// return 0 or the first failure's code.
int ZipAddFolder(const ZipHandle& handle, const std::wstring& folder);
int ZipExtractAll(const ZipHandle& handle, const std::wstring& folder);

#ifdef _WIN32
// The same over the disk (ProcessZipFileSystem, zip_file_system_win).
ZipHandle ZipCreate(const std::wstring& path);
ZipHandle ZipOpen(const std::wstring& path);
#endif

}  // namespace velkor
