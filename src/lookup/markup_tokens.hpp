#pragma once
// The token rules inside a tag, shared by the parser and the append operations.

#include <cstdint>
#include <string_view>

namespace velkor::markup {

inline bool IsTagBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

inline bool IsDelimiter(char16_t c) {
  return c == u'<' || c == u'>' || c == u'=' || c == u'\\' || c == u'/' || c == u'?' || c == u'!';
}

struct Token {
  std::int32_t begin = 0;  // first character (after the opening quote of a quoted token)
  std::int32_t end = 0;    // one past the last character
  bool quoted = false;
};

// Reads the token at or after `next` and moves `next` past it. False at the end
// of the text. An unterminated quoted token runs to the end of the text.
inline bool NextToken(std::u16string_view doc, std::int32_t& next, Token& token) {
  const auto size = static_cast<std::int32_t>(doc.size());
  while (next < size && IsTagBlank(doc[next])) ++next;
  if (next >= size) return false;
  const char16_t c = doc[next];
  token.quoted = false;
  if (c == u'"' || c == u'\'') {
    token.quoted = true;
    token.begin = next + 1;
    const size_t close = doc.find(c, static_cast<size_t>(token.begin));
    token.end = close == std::u16string_view::npos ? size : static_cast<std::int32_t>(close);
    next = close == std::u16string_view::npos ? size : token.end + 1;
    return true;
  }
  token.begin = next;
  if (IsDelimiter(c)) {
    token.end = ++next;
    return true;
  }
  while (next < size && !IsTagBlank(doc[next]) && !IsDelimiter(doc[next])) ++next;
  token.end = next;
  return true;
}

}  // namespace velkor::markup
