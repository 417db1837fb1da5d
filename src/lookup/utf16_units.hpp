#pragma once
// UTF-16 code units of a wide text and back. On Windows wchar_t already is a
// UTF-16 unit and these copy; natively a wide text holds code points and these
// encode and decode surrogate pairs (malformed text becomes U+FFFD).

#include <string>
#include <string_view>

namespace velkor {

std::u16string ToUtf16Units(std::wstring_view text);
std::wstring FromUtf16Units(std::u16string_view units);

}  // namespace velkor
