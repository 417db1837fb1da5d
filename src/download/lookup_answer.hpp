#pragma once
// The update service's answer to a driver lookup: the package's download
// address and its MD5 text, joined by "|". Both parts come from outside: an
// MD5 text that is not 32 hexadecimal digits never matches any file.

#include <string>
#include <string_view>

namespace velkor {

struct LookupAnswer {
  std::wstring url;
  std::wstring md5;
};

// Splits at the first "|": the address before it, the MD5 text after it. Both
// are empty when the answer has no "|" or begins with it.
LookupAnswer SplitLookupAnswer(std::wstring_view answer);

// 32 hexadecimal digits, in either letter case.
bool IsMd5Text(std::wstring_view text);

enum class Md5Case { Exact, Ignored };

// Whether a file's MD5 text (as FileMd5 gives it) is the expected one. Never
// true when either is not an MD5 text: an empty checksum of a missing file
// must not pass for the empty checksum of a damaged answer.
bool Md5Matches(std::wstring_view fileMd5, std::wstring_view expected, Md5Case letterCase);

}  // namespace velkor
