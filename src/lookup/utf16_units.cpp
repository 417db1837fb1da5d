#include "lookup/utf16_units.hpp"

#include <cstdint>

namespace velkor {

// Documents run to megabytes, so the 32-bit case converts in one pass rather
// than through an intermediate byte string.

std::u16string ToUtf16Units(std::wstring_view text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::u16string(text.begin(), text.end());
  } else {
    std::u16string units;
    units.reserve(text.size());
    for (const wchar_t wide : text) {
      const auto c = static_cast<std::uint32_t>(wide);
      if (c >= 0x10000 && c <= 0x10FFFF) {
        units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        units.push_back(u'\uFFFD');
      } else {
        units.push_back(static_cast<char16_t>(c));
      }
    }
    return units;
  }
}

std::wstring FromUtf16Units(std::u16string_view units) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::wstring(units.begin(), units.end());
  } else {
    std::wstring text;
    text.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
      const char16_t c = units[i];
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
        text.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
        ++i;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        text.push_back(L'\uFFFD');
      } else {
        text.push_back(static_cast<wchar_t>(c));
      }
    }
    return text;
  }
}

}  // namespace velkor
