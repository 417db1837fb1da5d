#pragma once
// INF file syntax: sections, "key = value, value" lines, quoting, comments, line
// continuation and %strkey% substitution from [Strings]. Reading never fails:
// whatever cannot be understood is dropped line by line.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

// Limits on what one INF file may hold; larger files are cut at the limits.
inline constexpr std::size_t kMaxInfChars = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxInfFieldsPerLine = 1024;

struct InfLine {
  bool hasKey = false;
  std::wstring key;                  // substituted, unquoted
  std::vector<std::wstring> values;  // the fields after "=" (or the whole line)
};

class InfFile {
 public:
  // text is the decoded file (see DecodeInfBytes).
  static InfFile Parse(std::wstring_view text);

  // Lines of a section, name compared without regard to case; sections that
  // appear twice are read as one. Null when the file has no such section.
  const std::vector<InfLine>* Section(std::wstring_view name) const;
  // First value of the first line of the section with that key; empty if none.
  std::wstring Value(std::wstring_view section, std::wstring_view key) const;
  // The whole value text of such a line, fields joined by ",".
  std::vector<std::wstring> Values(std::wstring_view section, std::wstring_view key) const;

 private:
  std::map<std::wstring, std::vector<InfLine>> sections_;  // key: lower-case name
};

// INF files are UTF-16LE with a byte-order mark, UTF-8 with one, or in the
// system's ANSI code page; the last is read as Windows-1252.
std::wstring DecodeInfBytes(std::span<const std::uint8_t> bytes);

}  // namespace velkor::service
