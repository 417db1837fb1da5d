#include "lookup/utf16_units.hpp"

#include "base/utf.hpp"

namespace velkor {

std::u16string ToUtf16Units(std::wstring_view text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::u16string(text.begin(), text.end());
  } else {
    const std::string bytes = ToUtf16Le(text);
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return units;
  }
}

std::wstring FromUtf16Units(std::u16string_view units) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::wstring(units.begin(), units.end());
  } else {
    std::string bytes(units.size() * 2, '\0');
    for (size_t i = 0; i < units.size(); ++i) {
      bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
      bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return FromUtf16Le(std::string_view(bytes));
  }
}

}  // namespace velkor
