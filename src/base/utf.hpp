#pragma once
// Encoding of the program's UTF-16 text at its boundaries: UTF-8 on the network
// and the console, UTF-16LE in the list files, the index and the text file.
// wchar_t is 16 bits on Windows and 32 bits natively; both work: supplementary
// characters are surrogate pairs in a 16-bit wstring and single units in a
// 32-bit one. Malformed input never fails: it decodes to U+FFFD.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velkor {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

// UTF-16LE code units without byte-order mark or terminator.
std::string ToUtf16Le(std::wstring_view text);
// An odd last byte decodes to U+FFFD.
std::wstring FromUtf16Le(std::span<const std::uint8_t> bytes);
std::wstring FromUtf16Le(std::string_view bytes);

}  // namespace velkor
