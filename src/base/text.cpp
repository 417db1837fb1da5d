#include "base/text.hpp"

#include <limits>

namespace velkor {

wchar_t AsciiToLower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

static wchar_t AsciiToUpperChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring AsciiToLower(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = AsciiToLower(c);
  return out;
}

std::wstring AsciiToUpper(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = AsciiToUpperChar(c);
  return out;
}

bool AsciiEqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring Trim(std::wstring_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::wstring(text.substr(first, last - first));
}

std::vector<std::wstring> SplitText(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> pieces;
  if (text.empty()) return pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::wstring_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::wstring JoinTexts(const std::vector<std::wstring>& pieces, std::wstring_view separator) {
  std::wstring out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i != 0) out.append(separator);
    out.append(pieces[i]);
  }
  return out;
}

std::int32_t ParseDecimal(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // Accumulate as a negative number so that INT32_MIN itself is representable.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (value > kMin) value = value * 10 - (text[i] - L'0');
    if (value < kMin) value = kMin;
  }
  if (negative) return static_cast<std::int32_t>(value);
  return static_cast<std::int32_t>(-value > kMax ? kMax : -value);
}

}  // namespace velkor
