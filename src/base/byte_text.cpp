#include "base/byte_text.hpp"

namespace velkor {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string HexLower(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text.push_back(kHexDigits[byte >> 4]);
    text.push_back(kHexDigits[byte & 0x0f]);
  }
  return text;
}

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text.push_back(kBase64Digits[(group >> shift) & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const std::uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    text.push_back(kBase64Digits[(group >> 18) & 63]);
    text.push_back(kBase64Digits[(group >> 12) & 63]);
    text.push_back(rest == 2 ? kBase64Digits[(group >> 6) & 63] : '=');
    text.push_back('=');
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text, std::size_t maxBytes) {
  if (text.size() % 4 != 0) return std::nullopt;
  if (text.size() / 4 > maxBytes / 3 + 1) return std::nullopt;  // before any allocation
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int padding = 0;
    std::uint32_t group = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      int value = 0;
      if (c == '=') {
        // Padding: only in the last group, only in its last two places, and
        // never followed by a digit.
        if (!last || j < 2) return std::nullopt;
        ++padding;
      } else {
        if (padding != 0) return std::nullopt;
        value = Base64Value(c);
        if (value < 0) return std::nullopt;
      }
      group = (group << 6) | static_cast<std::uint32_t>(value);
    }
    // A canonical encoding leaves the bits that padding stands for at zero.
    if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
    if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
  }
  if (bytes.size() > maxBytes) return std::nullopt;
  return bytes;
}

}  // namespace velkor
