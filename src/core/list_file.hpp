#pragma once
// The byte layout of the download and backup lists (Download.dat, Backup.dat):
// a 32-bit entry count, the map count (16 bits, or 0xFFFF and 32 bits), then the
// key/value pairs as length-prefixed strings. Strings are always written as
// UTF-16LE behind the wide marker; the single-byte form is still read so that
// lists written by older tools keep loading.

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace velkor {

using StringMap = std::map<std::wstring, std::wstring>;

// Turns the text of a single-byte string (system code page) into UTF-16. The
// platform-free default maps each byte to the code point of the same value.
using NarrowTextDecoder = std::function<std::wstring(std::span<const std::uint8_t>)>;
std::wstring DecodeLatin1(std::span<const std::uint8_t> bytes);

// Most entries a list file may claim. Each string's length is checked against
// the bytes that are left; the count is checked against this, so that a small
// hostile file cannot make the reader build a map of millions of entries.
// Lists of downloads and backups stay far below it.
inline constexpr std::uint32_t kListEntryLimit = 1u << 20;

std::vector<std::uint8_t> EncodeListFile(const StringMap& list);

// Adds the file's pairs to `list` as it reads them (a key already present takes
// the file's value; other entries stay). Returns false when the bytes end early or
// are damaged: the pairs read before the damage have been added all the same. A
// count above kListEntryLimit is damage before the first pair.
bool DecodeListFile(std::span<const std::uint8_t> bytes, StringMap& list,
                    const NarrowTextDecoder& narrow = DecodeLatin1);

// One string in the list layout (wide marker, 1/3/7-byte length, code units).
void PutListString(std::vector<std::uint8_t>& out, const std::wstring& text);

}  // namespace velkor
