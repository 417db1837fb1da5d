#include "install/archive_entry_name.hpp"

#include <array>

#include "base/text.hpp"

namespace velkor {
namespace {

bool IsForbiddenCharacter(wchar_t c) {
  if (c < 0x20) return true;
  switch (c) {
    case L'<': case L'>': case L':': case L'"': case L'|': case L'?': case L'*':
    case L'/': case L'\\':
      return true;
    default:
      return false;
  }
}

// Windows opens these devices whatever folder or extension accompanies them
// ("nul.txt", "COM1 .log").
bool IsReservedDeviceName(std::wstring_view component) {
  const std::wstring base = AsciiToUpper(Trim(component.substr(0, component.find(L'.'))));
  static constexpr std::array<std::wstring_view, 6> kNames = {L"CON", L"PRN", L"AUX", L"NUL",
                                                                L"CONIN$", L"CONOUT$"};
  for (std::wstring_view name : kNames) {
    if (base == name) return true;
  }
  if (base.size() != 4 || !(base.starts_with(L"COM") || base.starts_with(L"LPT"))) return false;
  const wchar_t digit = base[3];
  return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
         digit == L'\u00B3';
}

}  // namespace

bool IsSafePathComponent(std::wstring_view component) {
  if (component.empty() || component == L"." || component == L"..") return false;
  for (wchar_t c : component) {
    if (IsForbiddenCharacter(c)) return false;
  }
  if (component.back() == L'.' || component.back() == L' ') return false;
  return !IsReservedDeviceName(component);
}

std::optional<std::wstring> SafeRelativePath(std::wstring_view storedName) {
  std::wstring out;
  std::size_t start = 0;
  while (start <= storedName.size()) {
    std::size_t end = storedName.find_first_of(L"/\\", start);
    if (end == std::wstring_view::npos) end = storedName.size();
    const std::wstring_view component = storedName.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == L".") continue;
    if (!IsSafePathComponent(component)) return std::nullopt;
    if (!out.empty()) out.push_back(L'\\');
    out.append(component);
  }
  if (out.empty()) return std::nullopt;
  return out;
}

}  // namespace velkor
