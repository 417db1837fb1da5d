#include "backup/zip_entry_name.hpp"

#include <array>
#include <vector>

#include "base/path.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"

namespace velkor {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Drops leading drives and separators in any mix ("C:\", "\\", "C:C:/").
std::wstring_view DropLeadingRoots(std::wstring_view name) {
  for (;;) {
    if (!name.empty() && IsPathSeparator(name.front())) {
      name.remove_prefix(1);
    } else if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == L':') {
      name.remove_prefix(2);
    } else {
      return name;
    }
  }
}

std::vector<std::wstring_view> Segments(std::wstring_view name) {
  std::vector<std::wstring_view> segments;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || IsPathSeparator(name[i])) {
      const std::wstring_view segment = name.substr(start, i - start);
      if (!segment.empty() && segment != L".") segments.push_back(segment);
      start = i + 1;
    }
  }
  return segments;
}

// Names the system reserves for devices in every folder, whatever extension
// follows ("nul.txt" is the null device too).
bool IsDeviceName(std::wstring_view segment) {
  std::wstring_view stem = segment.substr(0, segment.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  const std::wstring lower = AsciiToLower(stem);
  static constexpr std::array<std::wstring_view, 7> kNames = {L"con", L"prn", L"aux", L"nul",
                                                              L"conin$", L"conout$", L"clock$"};
  for (std::wstring_view reserved : kNames) {
    if (lower == reserved) return true;
  }
  if (lower.size() == 4 && (lower.starts_with(L"com") || lower.starts_with(L"lpt"))) {
    // COM0-9 and LPT0-9, and the superscript digits the system also accepts.
    const wchar_t digit = lower[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
  }
  return false;
}

bool IsForbiddenCharacter(wchar_t c) {
  if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7F) return true;
  switch (c) {
    case L':': case L'<': case L'>': case L'"': case L'|': case L'?': case L'*':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ZipStoredName(std::wstring_view entryName) {
  std::wstring name(entryName);
  for (wchar_t& c : name) {
    if (c == L'\\') c = L'/';
  }
  return ToUtf8(name);
}

bool IsStoredExtension(std::wstring_view entryName) {
  const std::size_t dot = entryName.rfind(L'.');
  if (dot == std::wstring_view::npos) return false;
  const std::wstring extension = AsciiToLower(entryName.substr(dot));
  static constexpr std::array<std::wstring_view, 8> kStored = {L".z",   L".zip", L".zoo", L".arc",
                                                               L".lzh", L".arj", L".gz",  L".tgz"};
  for (std::wstring_view stored : kStored) {
    if (extension == stored) return true;
  }
  return false;
}

std::wstring CleanZipEntryName(std::wstring_view name) {
  std::vector<std::wstring_view> segments;
  std::wstring_view rest = name;
  // Dropping up to a ".." can bring a drive or a separator to the front again
  // ("../C:/x"), so both rules run until neither finds anything.
  for (;;) {
    rest = DropLeadingRoots(rest);
    segments = Segments(rest);
    std::size_t last = segments.size();
    for (std::size_t i = segments.size(); i-- > 0;) {
      if (segments[i] == L"..") {
        last = i;
        break;
      }
    }
    if (last == segments.size()) break;
    const std::wstring_view after = segments[last];
    rest = rest.substr(static_cast<std::size_t>(after.data() - rest.data()) + after.size());
  }
  std::wstring cleaned;
  for (std::wstring_view segment : segments) {
    if (!cleaned.empty()) cleaned.push_back(L'\\');
    cleaned.append(segment);
  }
  return cleaned;
}

bool IsSafeZipEntryName(std::wstring_view cleaned) {
  if (cleaned.empty()) return false;
  for (wchar_t c : cleaned) {
    if (IsForbiddenCharacter(c)) return false;
  }
  for (std::wstring_view segment : Segments(cleaned)) {
    if (segment == L"..") return false;
    if (segment.back() == L'.' || segment.back() == L' ') return false;
    if (IsDeviceName(segment)) return false;
  }
  // A name the cleaning would change again (a separator or drive in front) is
  // not a cleaned name.
  return CleanZipEntryName(cleaned) == cleaned;
}

bool IsPlainFileName(std::wstring_view name) {
  return name.find_first_of(L"\\/") == std::wstring_view::npos && IsSafeZipEntryName(name);
}

std::optional<std::wstring> SafeZipEntryPath(std::wstring_view name) {
  std::wstring cleaned = CleanZipEntryName(name);
  if (!IsSafeZipEntryName(cleaned)) return std::nullopt;
  return cleaned;
}

}  // namespace velkor
