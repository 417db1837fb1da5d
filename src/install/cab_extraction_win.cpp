// Cabinet packages through the system's FDI. FDI reads the cabinets through
// our file callbacks and hands every stored file to the notification callback,
// where the name is checked and the file is created by us, so that nothing is
// written but below the unpack folder.

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "core/shell_folders.hpp"
#include "install/ansi_text_win.hpp"
#include "backup/zip_entry_name.hpp"
#include "install/archive_extraction_win.hpp"
#include "install/package_names.hpp"
#include "install/system_library_win.hpp"

namespace velkor {
namespace {

using FdiCreateFn = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, PERF);
using FdiIsCabinetFn = BOOL(DIAMONDAPI*)(HFDI, INT_PTR, PFDICABINETINFO);
using FdiCopyFn = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using FdiDestroyFn = BOOL(DIAMONDAPI*)(HFDI);

constexpr INT_PTR kFdiError = -1;
constexpr std::size_t kMaxCabinetPath = 255;
constexpr std::size_t kMaxCabinets = 1000;  // in one set  // FDI's own limit on the cabinet folder text
// Stand-ins for names without an exact ANSI form: "?" is never part of a real
// file name, so they cannot be mistaken for one.
constexpr const char* kStandInFolder = "?\\";
constexpr const char* kStandInName = "?";

// What one extraction knows. FDI's file callbacks carry no context of their
// own; the extraction runs on one thread, which holds it while FDICopy runs.
struct CabinetExtraction {
  std::wstring cabinetFolder;  // the folder of the cabinets, with a final backslash
  std::string ansiFolder;      // the same, as handed to FDI
  std::string ansiFirstName;   // the first cabinet's name, as handed to FDI
  std::wstring firstName;
  std::wstring unpackFolder;   // with a final backslash
  HANDLE output = INVALID_HANDLE_VALUE;  // the file being written
  std::wstring outputPath;
  // The next cabinet named by the cabinet FDICopy was given (its first
  // cabinet information), in the cabinet's own bytes; empty when none follows.
  bool cabinetInfoSeen = false;
  std::string nextCabinet;
};

thread_local CabinetExtraction* tCurrent = nullptr;

HANDLE ToHandle(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }
INT_PTR FromHandle(HANDLE handle) { return reinterpret_cast<INT_PTR>(handle); }

FNALLOC(CabAlloc) { return std::malloc(cb); }
FNFREE(CabFree) { std::free(pv); }

// FDI opens only the cabinets: the first one and the continuations, which lie in
// the same folder under plain names.
FNOPEN(CabOpen) {
  (void)pmode;
  CabinetExtraction* current = tCurrent;
  if (current == nullptr || pszFile == nullptr) return kFdiError;
  if ((oflag & (_O_WRONLY | _O_RDWR | _O_CREAT | _O_TRUNC | _O_APPEND)) != 0) return kFdiError;
  const std::string_view requested(pszFile);
  if (!requested.starts_with(current->ansiFolder)) return kFdiError;
  const std::string_view ansiName = requested.substr(current->ansiFolder.size());
  std::wstring name;
  if (ansiName == current->ansiFirstName) {
    name = current->firstName;
  } else {
    std::optional<std::wstring> decoded = FromThreadAnsi(ansiName);
    if (!decoded || !IsPlainFileName(*decoded)) return kFdiError;
    name = *decoded;
  }
  const std::wstring path = current->cabinetFolder + name;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? kFdiError : FromHandle(file);
}

FNREAD(CabRead) {
  DWORD done = 0;
  if (!::ReadFile(ToHandle(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNWRITE(CabWrite) {
  DWORD done = 0;
  if (!::WriteFile(ToHandle(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNCLOSE(CabClose) {
  CabinetExtraction* current = tCurrent;
  if (current != nullptr && ToHandle(hf) == current->output) current->output = INVALID_HANDLE_VALUE;
  return ::CloseHandle(ToHandle(hf)) ? 0 : -1;
}

FNSEEK(CabSeek) {
  DWORD method = FILE_BEGIN;
  if (seektype == SEEK_CUR) method = FILE_CURRENT;
  if (seektype == SEEK_END) method = FILE_END;
  const DWORD position = ::SetFilePointer(ToHandle(hf), dist, nullptr, method);
  if (position == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return -1;
  return static_cast<__LONG32>(position);
}

// Makes every folder of the relative path below the base (the last component
// is the file itself).
bool MakeFoldersFor(const std::wstring& base, const std::wstring& relativePath) {
  std::size_t slash = relativePath.find(L'\\');
  while (slash != std::wstring::npos) {
    if (!EnsureFolder(base + relativePath.substr(0, slash))) return false;
    slash = relativePath.find(L'\\', slash + 1);
  }
  return true;
}

INT_PTR CopyFileStarts(CabinetExtraction& current, const FDINOTIFICATION& note) {
  if (note.psz1 == nullptr) return 0;
  const std::string_view stored(note.psz1);
  std::optional<std::wstring> name =
      (note.attribs & _A_NAME_IS_UTF) != 0 ? std::optional<std::wstring>(FromUtf8(stored)) : FromThreadAnsi(stored);
  if (!name) return 0;
  const std::optional<std::wstring> relative = SafeZipEntryPath(*name);
  if (!relative) return 0;  // skipped: it would leave the unpack folder
  if (!EnsureFolder(current.unpackFolder) || !MakeFoldersFor(current.unpackFolder, *relative)) return kFdiError;

  const std::wstring path = current.unpackFolder + *relative;
  // A read-only file left by an earlier unpack is replaced too.
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kFdiError;
  current.output = file;
  current.outputPath = path;
  return FromHandle(file);
}

INT_PTR CopyFileEnds(CabinetExtraction& current, const FDINOTIFICATION& note) {
  HANDLE file = ToHandle(note.hf);
  FILETIME local = {};
  FILETIME utc = {};
  if (::DosDateTimeToFileTime(note.date, note.time, &local) && ::LocalFileTimeToFileTime(&local, &utc)) {
    ::SetFileTime(file, &utc, &utc, &utc);
  }
  if (file == current.output) current.output = INVALID_HANDLE_VALUE;
  ::CloseHandle(file);
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  const DWORD attributes = note.attribs & kept;
  ::SetFileAttributesW(current.outputPath.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
  return TRUE;
}

FNFDINOTIFY(CabNotify) {
  CabinetExtraction* current = tCurrent;
  if (current == nullptr || pfdin == nullptr) return kFdiError;
  switch (fdint) {
    case fdintCOPY_FILE:
      return CopyFileStarts(*current, *pfdin);
    case fdintCLOSE_FILE_INFO:
      return CopyFileEnds(*current, *pfdin);
    case fdintNEXT_CABINET: {
      // Asked again after the cabinet could not be opened or was the wrong
      // one: FDI would ask for ever, so the copy ends here.
      if (pfdin->fdie != FDIERROR_NONE) return kFdiError;
      // The next cabinet must be a plain name in the same folder, and there.
      if (pfdin->psz1 == nullptr) return kFdiError;
      const std::optional<std::wstring> next = FromThreadAnsi(pfdin->psz1);
      if (!next || !IsPlainFileName(*next)) return kFdiError;
      const DWORD attributes = ::GetFileAttributesW((current->cabinetFolder + *next).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kFdiError;
      return 0;
    }
    case fdintCABINET_INFO:
      if (!current->cabinetInfoSeen) {
        current->cabinetInfoSeen = true;
        current->nextCabinet = pfdin->psz1 != nullptr ? pfdin->psz1 : "";
      }
      return 0;
    default:  // a file begun in an earlier cabinet (skipped), enumeration
      return 0;
  }
}

class CabinetLibrary {
 public:
  CabinetLibrary()
      : module_(LoadSystemLibrary(L"cabinet.dll")),
        create(LibraryFunction<FdiCreateFn>(module_, "FDICreate")),
        isCabinet(LibraryFunction<FdiIsCabinetFn>(module_, "FDIIsCabinet")),
        copy(LibraryFunction<FdiCopyFn>(module_, "FDICopy")),
        destroy(LibraryFunction<FdiDestroyFn>(module_, "FDIDestroy")) {}
  bool Loaded() const { return create && isCabinet && copy && destroy; }

 private:
  UniqueModule module_;

 public:
  const FdiCreateFn create;
  const FdiIsCabinetFn isCabinet;
  const FdiCopyFn copy;
  const FdiDestroyFn destroy;
};

// The FDI context, destroyed on every way out.
class FdiContext {
 public:
  FdiContext(const CabinetLibrary& library, ERF& error)
      : library_(library),
        handle_(library.create(CabAlloc, CabFree, CabOpen, CabRead, CabWrite, CabClose, CabSeek, cpu80386, &error)) {}
  ~FdiContext() {
    if (handle_ != nullptr) library_.destroy(handle_);
  }
  FdiContext(const FdiContext&) = delete;
  FdiContext& operator=(const FdiContext&) = delete;
  HFDI get() const { return handle_; }

 private:
  const CabinetLibrary& library_;
  HFDI handle_;
};

// Holds the thread's extraction while FDI runs, and closes a file that an
// aborted copy left open.
class CurrentExtraction {
 public:
  explicit CurrentExtraction(CabinetExtraction& extraction) : extraction_(extraction) { tCurrent = &extraction; }
  ~CurrentExtraction() {
    if (extraction_.output != INVALID_HANDLE_VALUE) ::CloseHandle(extraction_.output);
    tCurrent = nullptr;
  }
  CurrentExtraction(const CurrentExtraction&) = delete;
  CurrentExtraction& operator=(const CurrentExtraction&) = delete;

 private:
  CabinetExtraction& extraction_;
};

bool IsCabinetFile(const CabinetLibrary& library, HFDI fdi, const std::wstring& path) {
  UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  FDICABINETINFO info = {};
  return library.isCabinet(fdi, FromHandle(file.get()), &info) != FALSE;
}

}  // namespace

bool ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& folder) {
  const std::size_t slash = cabinetPath.rfind(L'\\');
  if (slash == std::wstring::npos || folder.empty()) return false;
  CabinetExtraction extraction;
  extraction.cabinetFolder = cabinetPath.substr(0, slash + 1);
  extraction.firstName = cabinetPath.substr(slash + 1);
  extraction.unpackFolder = folder.back() == L'\\' ? folder : folder + L'\\';
  // FDI gets the names in the thread's ANSI code page; where a character has no
  // form there, it gets stand-ins, which only our open callback reads back.
  extraction.ansiFolder = ToThreadAnsi(extraction.cabinetFolder).value_or(kStandInFolder);
  extraction.ansiFirstName = ToThreadAnsi(extraction.firstName).value_or(kStandInName);
  if (extraction.ansiFolder.size() > kMaxCabinetPath) extraction.ansiFolder = kStandInFolder;

  const CabinetLibrary library;
  if (!library.Loaded()) return false;
  ERF error = {};
  const FdiContext fdi(library, error);
  if (fdi.get() == nullptr) return false;
  if (!IsCabinetFile(library, fdi.get(), cabinetPath)) return false;

  const CurrentExtraction current(extraction);
  // FDICopy copies the files that begin in the cabinet it is given (following
  // a file into the next cabinet where it continues); the files that begin in
  // each further cabinet take one more FDICopy of that cabinet.
  std::string cabinet = extraction.ansiFirstName;
  std::set<std::wstring> visited = {AsciiToLower(extraction.firstName)};
  for (;;) {
    extraction.cabinetInfoSeen = false;
    extraction.nextCabinet.clear();
    if (!library.copy(fdi.get(), cabinet.data(), extraction.ansiFolder.data(), 0, CabNotify, nullptr, nullptr)) {
      return false;
    }
    if (extraction.nextCabinet.empty()) return true;
    const std::optional<std::wstring> next = FromThreadAnsi(extraction.nextCabinet);
    if (!next || !IsPlainFileName(*next)) return false;
    // A set that names an earlier cabinet again, or runs on without end, is damaged.
    if (!visited.insert(AsciiToLower(*next)).second || visited.size() > kMaxCabinets) return false;
    cabinet = extraction.nextCabinet;
  }
}

}  // namespace velkor
