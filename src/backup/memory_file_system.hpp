#pragma once
// A file system in memory, with the rules of the system's own where the
// archive layer and the INF reader depend on them: names compare without
// regard to letter case, both separators are alike, a file is created only in
// an existing folder. Paths are taken literally otherwise (".." is a name like
// any other), so that a path that tries to climb out of a folder shows as
// what it is. Tests, fuzz targets and benchmarks run the real code over it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backup/zip_file_system.hpp"

namespace velkor {

class MemoryFileSystem final : public ZipFileSystem {
 public:
  struct Node {
    std::wstring path;  // as first created, separators turned into backslashes
    PathKind kind = PathKind::Missing;
    std::shared_ptr<std::vector<std::uint8_t>> bytes;  // files only
    std::uint32_t attributes = 0;
    FileTimes times;
  };

  // Drives and other paths without a separator always exist as folders.
  void AddFolder(const std::wstring& path);
  // Adds a file (its folders too) with the given content.
  void AddFile(const std::wstring& path, std::vector<std::uint8_t> bytes, std::uint32_t attributes = kAttributeArchive,
               const FileTimes& times = {});
  void AddFile(const std::wstring& path, const std::string& text);
  // A reparse point: neither followed nor replaced by the archive layer.
  void AddLink(const std::wstring& path);
  // Local time is UTC plus this many seconds.
  void SetLocalOffsetSeconds(std::int64_t seconds) { localOffsetTicks_ = seconds * 10000000; }

  // Removes a file, or a folder with everything below it; false when the
  // path names nothing.
  bool RemoveTree(const std::wstring& path);

  const Node* Find(const std::wstring& path) const;
  // Every node, files and folders, ordered by path without letter case.
  std::vector<const Node*> Nodes() const;

  std::unique_ptr<SeekableByteSink> CreateArchive(const std::wstring& path) override;
  std::unique_ptr<ByteSource> OpenFile(const std::wstring& path, FileFacts& facts) override;
  PathKind Probe(const std::wstring& path) override;
  bool MakeFolder(const std::wstring& path) override;
  std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, std::uint32_t attributes) override;
  bool RemoveFile(const std::wstring& path) override;
  std::vector<FolderItem> ListFolder(const std::wstring& path) override;
  std::uint64_t UtcToLocal(std::uint64_t utc) override { return utc + static_cast<std::uint64_t>(localOffsetTicks_); }
  std::uint64_t LocalToUtc(std::uint64_t local) override { return local - static_cast<std::uint64_t>(localOffsetTicks_); }

 private:
  static std::wstring Key(const std::wstring& path);
  static std::wstring Parent(const std::wstring& key);
  bool ParentIsFolder(const std::wstring& key) const;
  Node* FindKey(const std::wstring& key);
  Node& Put(const std::wstring& path, PathKind kind);

  std::map<std::wstring, Node> nodes_;  // by Key
  std::int64_t localOffsetTicks_ = 0;
};

}  // namespace velkor
