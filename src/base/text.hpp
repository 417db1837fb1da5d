#pragma once
// Text rules used throughout the engine. IDs, GUIDs and value names are compared
// with ASCII-only case folding: the system's own lower-casing of such texts does
// not depend on the user's locale, so neither does ours.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

wchar_t AsciiToLower(wchar_t c);
std::wstring AsciiToLower(std::wstring_view text);
std::wstring AsciiToUpper(std::wstring_view text);
bool AsciiEqualsNoCase(std::wstring_view a, std::wstring_view b);

// Blank characters: space, tab, CR, LF, vertical tab, form feed.
bool IsBlank(wchar_t c);
std::wstring Trim(std::wstring_view text);

// Splits on every separator: "a||b" gives "a", "", "b". An empty text gives no
// pieces, so an empty ID list is an empty vector.
std::vector<std::wstring> SplitText(std::wstring_view text, wchar_t separator);
std::wstring JoinTexts(const std::vector<std::wstring>& pieces, std::wstring_view separator);

// Reads a decimal integer the way the C runtime's wtoi does: leading blanks, an
// optional sign, then digits up to the first non-digit. No digits read 0. Values
// outside the 32-bit range saturate instead of wrapping.
std::int32_t ParseDecimal(std::wstring_view text);

}  // namespace velkor
