#include "download/lookup_answer.hpp"

#include "base/text.hpp"

namespace velkor {

LookupAnswer SplitLookupAnswer(std::wstring_view answer) {
  const std::size_t bar = answer.find(L'|');
  if (bar == std::wstring_view::npos || bar == 0) return {};
  return {std::wstring(answer.substr(0, bar)), std::wstring(answer.substr(bar + 1))};
}

bool IsMd5Text(std::wstring_view text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    if (!hex) return false;
  }
  return true;
}

bool Md5Matches(std::wstring_view fileMd5, std::wstring_view expected, Md5Case letterCase) {
  if (!IsMd5Text(fileMd5) || !IsMd5Text(expected)) return false;
  return letterCase == Md5Case::Exact ? fileMd5 == expected : AsciiEqualsNoCase(fileMd5, expected);
}

}  // namespace velkor
