#pragma once
// Text in the system's ANSI code page, as older files and INF files hold it.

#include <cstdint>
#include <span>
#include <string>

namespace velkor {

// Bytes that the code page does not map become what the system makes of them
// (its default character); when the system refuses the text altogether, each
// byte stands for itself (Latin-1).
std::wstring DecodeSystemCodePage(std::span<const std::uint8_t> bytes);

}  // namespace velkor
