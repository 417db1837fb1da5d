#pragma once
// Bytes written as text: lower-case hexadecimal, and base64 (RFC 4648, with
// padding), the forms in which digests, key identifiers and signatures travel.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

std::string HexLower(std::span<const std::uint8_t> bytes);

std::string Base64Encode(std::span<const std::uint8_t> bytes);

// Strict decoding of the canonical form: only the 64 digits, length a multiple
// of four, "=" padding only at the end and unused bits zero. Blanks, line ends
// and anything else are refused, and so is a text that would decode to more
// than maxBytes.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text, std::size_t maxBytes);

}  // namespace velkor
