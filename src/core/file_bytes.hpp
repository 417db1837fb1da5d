#pragma once
// Whole-file reading and writing for the program's small data files (the lists,
// the text file). Paths are wide texts; nothing here throws.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velkor {

enum class ReadResult { Ok, NotFound, TooLarge, Failed };

// Reads the whole file into `out` when it is at most `limit` bytes long.
ReadResult ReadFileBytes(const std::wstring& path, std::size_t limit, std::vector<std::uint8_t>& out);

// Writes the bytes to a new file beside `path` and only then puts it in place of
// `path`: a failure at any point leaves the previous file as it was.
bool WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes);

bool FileExists(const std::wstring& path);
bool RemoveFile(const std::wstring& path);

}  // namespace velkor
