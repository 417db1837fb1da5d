#include "inf_parser.hpp"

#include <algorithm>

#include "base/text.hpp"
#include "base/utf.hpp"

namespace velkor::service {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr wchar_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

struct RawSection {
  std::vector<std::wstring> lines;
};

// Cuts a physical line at its comment (a ";" outside quotes) and trims it.
std::wstring StripComment(std::wstring_view line) {
  bool quoted = false;
  std::size_t end = line.size();
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'"') quoted = !quoted;
    else if (line[i] == L';' && !quoted) {
      end = i;
      break;
    }
  }
  return Trim(line.substr(0, end));
}

// Splits the text into logical lines per section: comments removed, lines ending
// in a backslash joined with the next one.
std::vector<std::pair<std::wstring, RawSection>> SplitSections(std::wstring_view text) {
  std::vector<std::pair<std::wstring, RawSection>> sections;
  std::wstring pending;
  bool continuing = false;
  std::size_t start = 0;
  auto take = [&](std::wstring logical) {
    logical = Trim(logical);
    if (logical.empty()) return;
    if (logical.front() == L'[') {
      const std::size_t close = logical.find(L']');
      if (close == std::wstring::npos) return;
      sections.emplace_back(AsciiToLower(Trim(std::wstring_view(logical).substr(1, close - 1))),
                            RawSection{});
      return;
    }
    if (!sections.empty()) sections.back().second.lines.push_back(std::move(logical));
  };
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring line = StripComment(text.substr(start, end - start));
    const bool continues = !line.empty() && line.back() == L'\\';
    if (continues) line.pop_back();
    if (continuing) pending += line;
    else pending = std::move(line);
    continuing = continues;
    if (!continuing) {
      take(std::move(pending));
      pending.clear();
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  if (continuing) take(std::move(pending));
  return sections;
}

// Unquotes one field and substitutes %strkey% tokens, inside quotes too, as
// Windows does; "" inside quotes and %% are the literal characters. An unknown
// key stays as written.
std::wstring ExpandField(std::wstring_view field,
                         const std::map<std::wstring, std::wstring>* strings) {
  std::wstring out;
  bool quoted = false;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const wchar_t c = field[i];
    if (c == L'"') {
      if (quoted && i + 1 < field.size() && field[i + 1] == L'"') {
        out += L'"';
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    if (c == L'%' && i + 1 < field.size() && field[i + 1] == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    if (c == L'%' && strings != nullptr) {
      const std::size_t close = field.find(L'%', i + 1);
      if (close != std::wstring_view::npos) {
        const std::wstring_view key = field.substr(i + 1, close - i - 1);
        const auto found = strings->find(AsciiToLower(key));
        if (found != strings->end()) {
          out += found->second;
          i = close;
          continue;
        }
      }
    }
    out += c;
  }
  return Trim(out);
}

// Splits a logical line at its first "=" and its commas, both outside quotes.
InfLine SplitLine(std::wstring_view line, const std::map<std::wstring, std::wstring>* strings) {
  InfLine result;
  bool quoted = false;
  std::size_t fieldStart = 0;
  std::vector<std::wstring_view> fields;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const bool atEnd = i == line.size();
    const wchar_t c = atEnd ? L'\0' : line[i];
    if (!atEnd && c == L'"') {
      quoted = !quoted;
      continue;
    }
    if (atEnd || (!quoted && c == L',')) {
      if (fields.size() < kMaxInfFieldsPerLine) fields.push_back(line.substr(fieldStart, i - fieldStart));
      fieldStart = i + 1;
    } else if (!quoted && c == L'=' && !result.hasKey && fields.empty()) {
      result.hasKey = true;
      result.key = ExpandField(line.substr(0, i), strings);
      fieldStart = i + 1;
    }
  }
  result.values.reserve(fields.size());
  for (std::wstring_view f : fields) result.values.push_back(ExpandField(f, strings));
  // "key =" has no values; a line of one empty field has none either.
  if (result.values.size() == 1 && result.values[0].empty()) result.values.clear();
  return result;
}

}  // namespace

InfFile InfFile::Parse(std::wstring_view text) {
  if (text.size() > kMaxInfChars) text = text.substr(0, kMaxInfChars);
  const auto raw = SplitSections(text);

  // String keys: [Strings] first; a file without it uses its first [Strings.*]
  // section (a language-specific one).
  std::map<std::wstring, std::wstring> strings;
  const RawSection* stringSection = nullptr;
  for (const auto& [name, section] : raw) {
    if (name == L"strings") {
      stringSection = &section;
      break;
    }
  }
  if (stringSection == nullptr) {
    for (const auto& [name, section] : raw) {
      if (name.rfind(L"strings.", 0) == 0) {
        stringSection = &section;
        break;
      }
    }
  }
  if (stringSection != nullptr) {
    for (const std::wstring& line : stringSection->lines) {
      InfLine parsed = SplitLine(line, nullptr);
      if (!parsed.hasKey || parsed.key.empty()) continue;
      // A value with commas was split into fields; the string is the whole text.
      std::wstring value = JoinTexts(parsed.values, L",");
      strings.emplace(AsciiToLower(parsed.key), std::move(value));
    }
  }

  InfFile file;
  for (const auto& [name, section] : raw) {
    auto& lines = file.sections_[name];
    for (const std::wstring& line : section.lines) lines.push_back(SplitLine(line, &strings));
  }
  return file;
}

const std::vector<InfLine>* InfFile::Section(std::wstring_view name) const {
  const auto found = sections_.find(AsciiToLower(Trim(name)));
  return found == sections_.end() ? nullptr : &found->second;
}

std::vector<std::wstring> InfFile::Values(std::wstring_view section, std::wstring_view key) const {
  const std::vector<InfLine>* lines = Section(section);
  if (lines == nullptr) return {};
  for (const InfLine& line : *lines) {
    if (line.hasKey && AsciiEqualsNoCase(line.key, key)) return line.values;
  }
  return {};
}

std::wstring InfFile::Value(std::wstring_view section, std::wstring_view key) const {
  std::vector<std::wstring> values = Values(section, key);
  return values.empty() ? std::wstring() : std::move(values.front());
}

std::wstring DecodeInfBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    return FromUtf16Le(bytes.subspan(2));
  }
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    const auto rest = bytes.subspan(3);
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
  }
  std::wstring text;
  text.reserve(bytes.size());
  for (std::uint8_t b : bytes) {
    if (b == 0) continue;  // a stray NUL never ends the text early
    text += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<wchar_t>(b);
  }
  return text;
}

}  // namespace velkor::service
