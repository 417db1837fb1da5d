// RAR packages through unrar.dll. The archive is listed first, and where each
// entry goes is decided then from its name; extraction writes each entry to
// that path (links and unwritable names are skipped).

#include <memory>
#include <string>
#include <vector>

#include "install/ansi_text_win.hpp"
#include "backup/zip_entry_name.hpp"
#include "install/archive_extraction_win.hpp"
#include "install/package_names.hpp"
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

// Lists the archive: for every entry in order, where it is written (the
// unpack folder's relative path, cleaned as the ZIP layer cleans names), or
// nothing for an entry that is not written (a link, or no writable name).
// Nothing at all when the archive cannot be opened, its headers cannot be read
// to the end (a damaged archive) or it has no entry.
using Listing = std::vector<std::optional<std::wstring>>;
std::optional<Listing> ListArchive(const UnrarLibrary& library, const std::wstring& path) {
  const OpenRarArchive archive(library, path, unrar::kOpenList);
  if (archive.get() == nullptr) return std::nullopt;
  Listing entries;
  auto header = std::make_unique<unrar::HeaderDataEx>();
  for (;;) {
    *header = {};
    const int read = library.readHeaderEx(archive.get(), header.get());
    // An archive without a single entry holds no driver either; a truncated
    // one reads that way.
    if (read == unrar::kEndArchive) return entries.empty() ? std::nullopt : std::optional(entries);
    if (read != unrar::kSuccess) return std::nullopt;
    header->FileNameW[std::size(header->FileNameW) - 1] = L'\0';
    entries.push_back(header->RedirType == 0 ? SafeZipEntryPath(header->FileNameW) : std::nullopt);
    if (library.processFile(archive.get(), unrar::kSkip, nullptr, nullptr) != unrar::kSuccess) return std::nullopt;
  }
}

// Extracts the current entry to exactly the path given, so that the library
// never joins a stored name to the folder itself.
int ExtractTo(const UnrarLibrary& library, HANDLE archive, const std::wstring& target) {
  if (std::optional<std::string> ansi = ToThreadAnsi(target)) {
    return library.processFile(archive, unrar::kExtract, nullptr, ansi->data());
  }
  if (library.processFileW == nullptr) return unrar::kCannotCreate;
  std::wstring wide = target;
  return library.processFileW(archive, unrar::kExtract, nullptr, wide.data());
}

}  // namespace

RarExtraction ExtractRarArchive(const std::wstring& unrarLibraryPath, const std::wstring& archivePath,
                                const std::wstring& folder) {
  const UnrarLibrary library(unrarLibraryPath);
  if (!library.Loaded()) return RarExtraction::CannotOpen;
  const std::optional<Listing> listing = ListArchive(library, archivePath);
  if (!listing) return RarExtraction::CannotOpen;

  const OpenRarArchive archive(library, archivePath, unrar::kOpenExtract);
  if (archive.get() == nullptr) return RarExtraction::CannotOpen;
  const std::wstring base = folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
  unrar::HeaderData header = {};
  for (std::size_t index = 0; library.readHeader(archive.get(), &header) == unrar::kSuccess; ++index) {
    const bool written = index < listing->size() && (*listing)[index].has_value();
    const int done = written ? ExtractTo(library, archive.get(), base + *(*listing)[index])
                             : library.processFile(archive.get(), unrar::kSkip, nullptr, nullptr);
    if (done != unrar::kSuccess) break;  // the first entry that fails ends the extraction
  }
  return RarExtraction::Extracted;
}

}  // namespace velkor
