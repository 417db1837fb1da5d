#include "backup/zip_archive.hpp"

#include <optional>
#include <vector>

#include "backup/zip_entry_name.hpp"
#include "backup/zip_format.hpp"
#include "backup/zip_reader.hpp"
#include "backup/zip_writer.hpp"
#include "base/path.hpp"
#include "base/text.hpp"

namespace velkor {
namespace {

// Creates the missing levels of a folder the caller chose, from the deepest
// one that exists downwards (that one may be anything the caller put there).
bool EnsureFolder(ZipFileSystem& files, const std::wstring& folder) {
  std::wstring path = folder;
  while (!path.empty() && IsPathSeparator(path.back())) path.pop_back();
  std::vector<std::wstring> missing;
  while (!path.empty()) {
    const PathKind kind = files.Probe(path);
    if (kind == PathKind::Folder || kind == PathKind::Link) break;
    if (kind == PathKind::File) return false;
    missing.push_back(path);
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) break;
    path.resize(slash);
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!files.MakeFolder(*level)) return false;
  }
  return true;
}

// The entry's times for the file it is extracted to: the exact ones where the
// archive has them, else its local date and time.
FileTimes TimesOf(const zip::ReaderEntry& entry, ZipFileSystem& files) {
  FileTimes times = entry.exactTimes;
  if (times.modification == 0) {
    if (const std::optional<std::uint64_t> local = zip::TicksFromDosDateTime(entry.dosDateTime)) {
      times.modification = files.LocalToUtc(*local);
    }
  }
  return times;
}

}  // namespace

class CZipArchive {
 public:
  CZipArchive(ZipFileSystem& files, std::unique_ptr<SeekableByteSink> sink, const ZipWriteOptions& options)
      : files_(files), sink_(std::move(sink)), writer_(std::make_unique<zip::ZipWriter>(*sink_, options)) {}
  CZipArchive(ZipFileSystem& files, std::unique_ptr<ByteSource> source, std::unique_ptr<zip::ZipReader> reader)
      : files_(files), source_(std::move(source)), reader_(std::move(reader)) {}
  ~CZipArchive() { Close(); }
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  bool IsWriter() const { return writer_ != nullptr; }
  ZipFileSystem& Files() { return files_; }
  zip::ZipReader& Reader() { return *reader_; }

  int AddFile(const std::wstring& sourcePath, const std::wstring& entryName) {
    if (entryName.empty()) return kZipBadArgument;
    FileFacts facts;
    std::unique_ptr<ByteSource> data = files_.OpenFile(sourcePath, facts);
    if (!data) return kZipCannotOpen;
    zip::EntryStamp stamp;
    stamp.dosDateTime = zip::DosDateTimeFromTicks(files_.UtcToLocal(facts.times.modification));
    stamp.times = facts.times;
    stamp.attributes = facts.attributes & ~kAttributeDirectory;
    return writer_->Add(ZipStoredName(entryName), *data, stamp, IsStoredExtension(entryName));
  }

  void FillEntry(std::size_t index, ZipEntry& entry) {
    const zip::ReaderEntry& read = reader_->Entry(index);
    entry.index = static_cast<int>(index);
    entry.name = read.name;
    entry.attributes = read.attributes;
    entry.times = TimesOf(read, files_);
    entry.compressedSize = read.compressedSize;
    entry.uncompressedSize = read.uncompressedSize;
  }

  int SetBaseFolder(const std::wstring& folder) {
    if (folder.empty()) return kZipBadArgument;
    baseFolder_ = folder;
    if (!IsPathSeparator(baseFolder_.back())) baseFolder_.push_back(L'\\');
    return kZipOk;
  }

  int Extract(std::size_t index, const std::wstring& name) {
    const zip::ReaderEntry& entry = reader_->Entry(index);
    if (entry.problem != kZipOk) return entry.problem;
    if (baseFolder_.empty()) return kZipBadArgument;
    // The name comes from the caller; it is held to the same rules as the
    // entry's own, so nothing lands outside the base folder whatever it says.
    const std::optional<std::wstring> relative = SafeZipEntryPath(name);
    if (!relative) return kZipUnsafeName;
    if (!EnsureFolder(files_, baseFolder_)) return kZipCannotOpen;

    // A cleaned name has backslashes only and no empty segments.
    const std::vector<std::wstring> segments = SplitText(*relative, L'\\');
    const std::size_t folders = entry.directory ? segments.size() : segments.size() - 1;
    std::wstring path = baseFolder_;
    for (std::size_t i = 0; i < folders; ++i) {
      path += segments[i];
      switch (files_.Probe(path)) {
        case PathKind::Folder:
          break;
        case PathKind::Missing:
          if (!files_.MakeFolder(path)) return kZipCannotOpen;
          break;
        case PathKind::Link:
          return kZipUnsafeName;  // never followed, whoever made it
        case PathKind::File:
          return kZipCannotOpen;
      }
      path.push_back(L'\\');
    }
    if (entry.directory) return kZipOk;

    path += segments.back();
    const PathKind existing = files_.Probe(path);
    if (existing == PathKind::Link) return kZipUnsafeName;
    if (existing == PathKind::Folder) return kZipCannotOpen;
    std::unique_ptr<FileWriter> file = files_.CreateNewFile(path, entry.attributes & ~kAttributeDirectory);
    if (!file) return kZipCannotOpen;
    file->Expect(entry.uncompressedSize);
    int code = reader_->Extract(index, *file);
    if (code == kZipOk && !file->Commit(TimesOf(entry, files_))) code = kZipWriteFailed;
    if (code != kZipOk) {
      // A file that failed its checks is not left behind half written.
      file.reset();
      files_.RemoveFile(path);
    }
    return code;
  }

  int Close() {
    int code = kZipOk;
    if (writer_) {
      if (!closed_) code = writer_->Finish();
      closed_ = true;
      sink_.reset();
    }
    source_.reset();
    return code;
  }

 private:
  ZipFileSystem& files_;
  std::unique_ptr<SeekableByteSink> sink_;
  std::unique_ptr<zip::ZipWriter> writer_;
  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<zip::ZipReader> reader_;
  std::wstring baseFolder_;
  bool closed_ = false;
};

void ZipArchiveCloser::operator()(CZipArchive* archive) const noexcept { delete archive; }

ZipHandle ZipCreate(ZipFileSystem& files, const std::wstring& path, const ZipWriteOptions& options) {
  std::unique_ptr<SeekableByteSink> sink = files.CreateArchive(path);
  if (!sink) return nullptr;
  return ZipHandle(new CZipArchive(files, std::move(sink), options));
}

int ZipAddFile(const ZipHandle& handle, const std::wstring& sourcePath, const std::wstring& entryName) {
  if (!handle) return kZipBadArgument;
  if (!handle->IsWriter()) return kZipWrongKind;
  return handle->AddFile(sourcePath, entryName);
}

ZipHandle ZipOpen(ZipFileSystem& files, const std::wstring& path, const ZipReadLimits& limits) {
  FileFacts facts;
  std::unique_ptr<ByteSource> source = files.OpenFile(path, facts);
  if (!source) return nullptr;
  auto reader = std::make_unique<zip::ZipReader>();
  if (reader->Open(*source, limits) != kZipOk) return nullptr;
  return ZipHandle(new CZipArchive(files, std::move(source), std::move(reader)));
}

int ZipGetEntry(const ZipHandle& handle, int index, ZipEntry& entry) {
  if (!handle) return kZipBadArgument;
  if (handle->IsWriter()) return kZipWrongKind;
  const std::size_t count = handle->Reader().Count();
  if (index == -1) {
    entry.index = static_cast<int>(count);
    return kZipOk;
  }
  if (index < 0 || static_cast<std::size_t>(index) >= count) return kZipBadArgument;
  handle->FillEntry(static_cast<std::size_t>(index), entry);
  return handle->Reader().Entry(static_cast<std::size_t>(index)).problem;
}

int ZipSetBaseFolder(const ZipHandle& handle, const std::wstring& folder) {
  if (!handle) return kZipBadArgument;
  if (handle->IsWriter()) return kZipWrongKind;
  return handle->SetBaseFolder(folder);
}

int ZipExtractEntry(const ZipHandle& handle, int index, const std::wstring& name) {
  if (!handle) return kZipBadArgument;
  if (handle->IsWriter()) return kZipWrongKind;
  if (index < 0 || static_cast<std::size_t>(index) >= handle->Reader().Count()) return kZipBadArgument;
  return handle->Extract(static_cast<std::size_t>(index), name);
}

int ZipClose(ZipHandle& handle) {
  if (!handle) return kZipBadArgument;
  const int code = handle->Close();
  handle.reset();
  return code;
}

namespace {

int AddFolderItems(const ZipHandle& handle, const std::wstring& folder, const std::wstring& prefix) {
  int first = kZipOk;
  for (const FolderItem& item : handle->Files().ListFolder(folder)) {
    int code = kZipOk;
    if (item.kind == PathKind::File) {
      code = ZipAddFile(handle, folder + item.name, prefix + item.name);
    } else if (item.kind == PathKind::Folder) {
      code = AddFolderItems(handle, folder + item.name + L"\\", prefix + item.name + L"\\");
    }
    if (first == kZipOk) first = code;
  }
  return first;
}

}  // namespace

int ZipAddFolder(const ZipHandle& handle, const std::wstring& folder) {
  if (!handle || folder.empty()) return kZipBadArgument;
  if (!handle->IsWriter()) return kZipWrongKind;
  std::wstring root = folder;
  if (!IsPathSeparator(root.back())) root.push_back(L'\\');
  return AddFolderItems(handle, root, L"");
}

int ZipExtractAll(const ZipHandle& handle, const std::wstring& folder) {
  ZipEntry count;
  if (const int code = ZipGetEntry(handle, -1, count); code != kZipOk) return code;
  int first = kZipOk;
  for (int index = 0; index < count.index; ++index) {
    ZipEntry entry;
    ZipGetEntry(handle, index, entry);
    int code = ZipSetBaseFolder(handle, folder);
    if (code == kZipOk) code = ZipExtractEntry(handle, index, entry.name);
    if (first == kZipOk) first = code;
  }
  return first;
}

}  // namespace velkor
