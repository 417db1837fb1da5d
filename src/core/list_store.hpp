#pragma once
// Loading and saving the download and backup lists in their files.

#include <functional>
#include <string>

#include "core/file_bytes.hpp"
#include "core/list_file.hpp"

namespace velkor {

// Largest list file we read. A list of tens of thousands of packages stays far
// below it; anything larger is not ours and is left alone.
inline constexpr std::size_t kListFileLimit = 256u * 1024 * 1024;

enum class ListLoadResult {
  Loaded,     // every pair read
  NoFile,     // the file could not be opened: the list was emptied
  Damaged,    // read part-way: the pairs before the damage were kept, the file deleted
              // (unless the remover refused)
};

// Deletes a damaged list file; false when it did not. The program passes
// RemoveUnredirectedFile (core/file_removal_win.hpp), which leaves a file alone
// that is a reparse point or lies behind one: an elevated instance must never
// delete through a link that the user planted.
using FileRemover = std::function<bool(const std::wstring& path)>;

// Reads the file's pairs into `list`. Entries that the file does not name stay.
ListLoadResult LoadListFile(const std::wstring& path, StringMap& list,
                            const NarrowTextDecoder& narrow = DecodeLatin1, const FileRemover& remove = RemoveFile);

// Writes the whole list. The previous file stays in place until the new one is
// complete, so a failed save never loses the list that was on disk.
bool SaveListFile(const std::wstring& path, const StringMap& list);

}  // namespace velkor
