#pragma once
// The archive layer's file side on Windows: folders created one level at a
// time, reparse points reported and never gone through, extracted files
// created anew with their attributes and given their times.

#include "backup/zip_file_system.hpp"

namespace velkor {

class WinZipFileSystem final : public ZipFileSystem {
 public:
  std::unique_ptr<SeekableByteSink> CreateArchive(const std::wstring& path) override;
  std::unique_ptr<ByteSource> OpenFile(const std::wstring& path, FileFacts& facts) override;
  PathKind Probe(const std::wstring& path) override;
  bool MakeFolder(const std::wstring& path) override;
  std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, std::uint32_t attributes) override;
  bool RemoveFile(const std::wstring& path) override;
  std::vector<FolderItem> ListFolder(const std::wstring& path) override;
  std::uint64_t UtcToLocal(std::uint64_t utc) override;
  std::uint64_t LocalToUtc(std::uint64_t local) override;
};

// The one instance the program's archive calls use (it keeps no state).
ZipFileSystem& ProcessZipFileSystem();

}  // namespace velkor
