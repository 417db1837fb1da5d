#include "core/text_file_format.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"
#include "core/default_texts.hpp"

namespace velkor {
namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

// A section header "[name]" (blanks allowed around it); gives the name.
bool SectionName(std::wstring_view line, std::wstring& name) {
  const std::wstring trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != L'[') return false;
  const std::size_t close = trimmed.find(L']');
  if (close == std::wstring::npos) return false;
  name = Trim(std::wstring_view(trimmed).substr(1, close - 1));
  return true;
}

bool IsComment(std::wstring_view line) {
  const std::wstring trimmed = Trim(line);
  return trimmed.empty() || trimmed.front() == L';';
}

// Splits "key = value" into its trimmed parts; a line without "=" is a key
// without a value.
void SplitEntry(std::wstring_view line, std::wstring& key, std::wstring& value) {
  const std::size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) {
    key = Trim(line);
    value.clear();
    return;
  }
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
}

std::wstring ProfileValue(std::wstring_view value) {
  const std::size_t n = value.size();
  if (n >= 2 && (value[0] == L'"' || value[0] == L'\'') && value[n - 1] == value[0]) {
    value = value.substr(1, n - 2);
  }
  return std::wstring(value.substr(0, kTextValueBuffer - 1));
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::span<const std::uint8_t> bytes) {
  std::wstring text;
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    const auto rest = bytes.subspan(3);
    text = FromUtf8(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
  } else {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) bytes = bytes.subspan(2);
    text = FromUtf16Le(bytes);
  }
  return FromText(text);
}

ProfileDocument ProfileDocument::FromText(std::wstring_view text) {
  ProfileDocument doc;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) {
      doc.lines_.emplace_back(text.substr(start));
      break;
    }
    doc.lines_.emplace_back(text.substr(start, end - start));
    if (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
    start = end + 1;
  }
  return doc;
}

std::size_t ProfileDocument::FindSection(std::wstring_view section) const {
  std::wstring name;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name) && AsciiEqualsNoCase(name, section)) return i;
  }
  return npos;
}

bool ProfileDocument::HasSection(std::wstring_view section) const { return FindSection(section) != npos; }

std::vector<std::wstring> ProfileDocument::KeyNames(std::wstring_view section) const {
  std::vector<std::wstring> names;
  const std::size_t header = FindSection(section);
  if (header == npos) return names;
  std::wstring name;
  std::wstring key;
  std::wstring value;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name)) break;
    if (IsComment(lines_[i])) continue;
    SplitEntry(lines_[i], key, value);
    if (!key.empty()) names.push_back(key);
  }
  return names;
}

std::optional<std::wstring> ProfileDocument::Value(std::wstring_view section, std::wstring_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const std::wstring wanted = Trim(key);
  std::wstring name;
  std::wstring entry_key;
  std::wstring value;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name)) break;
    if (IsComment(lines_[i])) continue;
    SplitEntry(lines_[i], entry_key, value);
    if (!entry_key.empty() && AsciiEqualsNoCase(entry_key, wanted)) return ProfileValue(value);
  }
  return std::nullopt;
}

bool ProfileDocument::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  const std::size_t header = FindSection(section);
  if (header == npos) return false;
  std::wstring line(key);
  line += L'=';
  line += value;
  std::wstring name;
  std::wstring entry_key;
  std::wstring old_value;
  std::size_t insert_at = header + 1;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name)) break;
    if (IsComment(lines_[i])) {
      if (!Trim(lines_[i]).empty()) insert_at = i + 1;
      continue;
    }
    SplitEntry(lines_[i], entry_key, old_value);
    if (AsciiEqualsNoCase(entry_key, Trim(key))) {
      lines_[i] = std::move(line);
      return true;
    }
    insert_at = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert_at), std::move(line));
  return true;
}

std::vector<std::uint8_t> ProfileDocument::Serialize() const {
  std::wstring text;
  for (const std::wstring& line : lines_) {
    text += line;
    text += L"\r\n";
  }
  const std::string bytes = ToUtf16Le(text);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> BuildDefaultTextFile() {
  std::wstring text = L"[";
  text += kTextSection;
  text += L"]\r\n";
  for (const DefaultText& entry : DefaultTexts()) {
    text += entry.key;
    text += L"=\"";
    text += entry.text;
    text += L"\"\r\n";
  }
  const std::string bytes = ToUtf16Le(text);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace velkor
