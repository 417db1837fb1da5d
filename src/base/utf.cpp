#include "base/utf.hpp"

namespace velkor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Next code point of a wide text, combining surrogate pairs where wchar_t is 16
// bits. An unpaired surrogate or a value past U+10FFFF gives U+FFFD.
char32_t NextCodePoint(std::wstring_view text, size_t& i) {
  char32_t c = static_cast<char32_t>(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    c &= 0xFFFF;
    if (IsHighSurrogate(c) && i < text.size()) {
      const char32_t low = static_cast<char32_t>(text[i]) & 0xFFFF;
      if (IsLowSurrogate(low)) {
        ++i;
        return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      }
    }
  }
  if (IsSurrogate(c) || c > 0x10FFFF) return kReplacement;
  return c;
}

void AppendCodePoint(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(c));
}

void AppendUtf16Unit(std::string& out, char32_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCodePoint(text, i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    size_t extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1; c = lead & 0x1F; min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2; c = lead & 0x0F; min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3; c = lead & 0x07; min = 0x10000;
    } else {
      out.push_back(static_cast<wchar_t>(kReplacement));
      ++i;
      continue;
    }
    size_t used = 1;
    bool valid = true;
    for (; used <= extra; ++used) {
      if (i + used >= bytes.size()) { valid = false; break; }
      const auto next = static_cast<unsigned char>(bytes[i + used]);
      if ((next & 0xC0) != 0x80) { valid = false; break; }
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid || c < min || c > 0x10FFFF || IsSurrogate(c)) {
      // One replacement for the lead and the continuation bytes it took.
      AppendCodePoint(out, kReplacement);
      i += used;
      continue;
    }
    AppendCodePoint(out, c);
    i += used;
  }
  return out;
}

std::string ToUtf16Le(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size();) {
    char32_t c;
    if constexpr (sizeof(wchar_t) == 2) {
      // Already code units: pass them through, unpaired surrogates included,
      // so that what Windows stored comes back byte for byte.
      c = static_cast<char32_t>(text[i++]) & 0xFFFF;
      AppendUtf16Unit(out, c);
      continue;
    } else {
      c = NextCodePoint(text, i);
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      AppendUtf16Unit(out, 0xD800 + (c >> 10));
      AppendUtf16Unit(out, 0xDC00 + (c & 0x3FF));
    } else {
      AppendUtf16Unit(out, c);
    }
  }
  return out;
}

std::wstring FromUtf16Le(std::span<const std::uint8_t> bytes) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  for (size_t u = 0; u < units; ++u) {
    const char32_t unit = bytes[2 * u] | (static_cast<char32_t>(bytes[2 * u + 1]) << 8);
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<wchar_t>(unit));
    } else {
      if (IsHighSurrogate(unit) && u + 1 < units) {
        const char32_t low = bytes[2 * u + 2] | (static_cast<char32_t>(bytes[2 * u + 3]) << 8);
        if (IsLowSurrogate(low)) {
          out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          ++u;
          continue;
        }
      }
      out.push_back(static_cast<wchar_t>(IsSurrogate(unit) ? kReplacement : unit));
    }
  }
  if (bytes.size() % 2 != 0) out.push_back(static_cast<wchar_t>(kReplacement));
  return out;
}

std::wstring FromUtf16Le(std::string_view bytes) {
  return FromUtf16Le(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace velkor
