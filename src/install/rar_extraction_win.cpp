// RAR packages through unrar.dll. The archive is listed first: a name that
// would leave the unpack folder, or an entry that is a link, is marked and
// skipped when the archive is extracted.

#include <memory>
#include <string>
#include <vector>

#include "install/ansi_text_win.hpp"
#include "install/archive_entry_name.hpp"
#include "install/archive_extraction_win.hpp"
#include "install/system_library_win.hpp"
#include "install/unrar_interface.hpp"

namespace velkor {
namespace {

class UnrarLibrary {
 public:
  explicit UnrarLibrary(const std::wstring& path)
      : module_(LoadLibraryAt(path)),
        openArchiveEx(LibraryFunction<unrar::OpenArchiveExFn>(module_, "RAROpenArchiveEx")),
        closeArchive(LibraryFunction<unrar::CloseArchiveFn>(module_, "RARCloseArchive")),
        readHeader(LibraryFunction<unrar::ReadHeaderFn>(module_, "RARReadHeader")),
        readHeaderEx(LibraryFunction<unrar::ReadHeaderExFn>(module_, "RARReadHeaderEx")),
        processFile(LibraryFunction<unrar::ProcessFileFn>(module_, "RARProcessFile")),
        processFileW(LibraryFunction<unrar::ProcessFileWFn>(module_, "RARProcessFileW")) {}
  bool Loaded() const { return openArchiveEx && closeArchive && readHeader && readHeaderEx && processFile; }

 private:
  UniqueModule module_;  // freed last: the members below point into it

 public:
  const unrar::OpenArchiveExFn openArchiveEx;
  const unrar::CloseArchiveFn closeArchive;
  const unrar::ReadHeaderFn readHeader;
  const unrar::ReadHeaderExFn readHeaderEx;
  const unrar::ProcessFileFn processFile;
  const unrar::ProcessFileWFn processFileW;
};

// One opened archive, closed on every way out.
class OpenRarArchive {
 public:
  OpenRarArchive(const UnrarLibrary& library, const std::wstring& path, unsigned mode) : library_(library) {
    std::optional<std::string> ansi = ToThreadAnsi(path);
    ansiPath_ = ansi.value_or(std::string());
    widePath_ = path;
    comment_.resize(unrar::kCommentBufferSize);
    unrar::OpenArchiveDataEx data = {};
    // The library takes the thread's ANSI form; the wide form beside it serves
    // a path that has no exact ANSI form.
    data.ArcName = ansi ? ansiPath_.data() : nullptr;
    data.ArcNameW = widePath_.data();
    data.OpenMode = mode;
    data.CmtBuf = comment_.data();
    data.CmtBufSize = unrar::kCommentBufferSize;
    handle_ = library.openArchiveEx(&data);
    if (data.OpenResult != unrar::kSuccess && handle_ != nullptr) {
      library.closeArchive(handle_);
      handle_ = nullptr;
    }
  }
  ~OpenRarArchive() {
    if (handle_ != nullptr) library_.closeArchive(handle_);
  }
  OpenRarArchive(const OpenRarArchive&) = delete;
  OpenRarArchive& operator=(const OpenRarArchive&) = delete;
  HANDLE get() const { return handle_; }

 private:
  const UnrarLibrary& library_;
  std::string ansiPath_;
  std::wstring widePath_;
  std::vector<char> comment_;
  HANDLE handle_ = nullptr;
};

// Lists the archive: for every entry in order, whether it may be extracted.
// Nothing when the archive cannot be opened, its headers cannot be read to the
// end (a damaged archive) or it has no entry.
std::optional<std::vector<bool>> ListArchive(const UnrarLibrary& library, const std::wstring& path) {
  const OpenRarArchive archive(library, path, unrar::kOpenList);
  if (archive.get() == nullptr) return std::nullopt;
  std::vector<bool> writable;
  auto header = std::make_unique<unrar::HeaderDataEx>();
  for (;;) {
    *header = {};
    const int read = library.readHeaderEx(archive.get(), header.get());
    // An archive without a single entry holds no driver either; a truncated
    // one reads that way.
    if (read == unrar::kEndArchive) return writable.empty() ? std::nullopt : std::optional(writable);
    if (read != unrar::kSuccess) return std::nullopt;
    header->FileNameW[std::size(header->FileNameW) - 1] = L'\0';
    writable.push_back(header->RedirType == 0 && SafeRelativePath(header->FileNameW).has_value());
    if (library.processFile(archive.get(), unrar::kSkip, nullptr, nullptr) != unrar::kSuccess) return std::nullopt;
  }
}

}  // namespace

RarExtraction ExtractRarArchive(const std::wstring& unrarLibraryPath, const std::wstring& archivePath,
                                const std::wstring& folder) {
  const UnrarLibrary library(unrarLibraryPath);
  if (!library.Loaded()) return RarExtraction::CannotOpen;
  const std::optional<std::vector<bool>> writable = ListArchive(library, archivePath);
  if (!writable) return RarExtraction::CannotOpen;

  const OpenRarArchive archive(library, archivePath, unrar::kOpenExtract);
  if (archive.get() == nullptr) return RarExtraction::CannotOpen;
  std::optional<std::string> ansiFolder = ToThreadAnsi(folder);
  std::wstring wideFolder = folder;
  if (!ansiFolder && library.processFileW == nullptr) return RarExtraction::Extracted;

  unrar::HeaderData header = {};
  for (std::size_t index = 0; library.readHeader(archive.get(), &header) == unrar::kSuccess; ++index) {
    const bool extract = index < writable->size() && (*writable)[index];
    int done;
    if (!extract) {
      done = library.processFile(archive.get(), unrar::kSkip, nullptr, nullptr);
    } else if (ansiFolder) {
      done = library.processFile(archive.get(), unrar::kExtract, ansiFolder->data(), nullptr);
    } else {
      done = library.processFileW(archive.get(), unrar::kExtract, wideFolder.data(), nullptr);
    }
    if (done != unrar::kSuccess) break;  // the first entry that fails ends the extraction
  }
  return RarExtraction::Extracted;
}

}  // namespace velkor
