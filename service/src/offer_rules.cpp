#include "offer_rules.hpp"

#include <set>

#include "base/text.hpp"

namespace velkor::service {
namespace {

std::optional<int> ReadDigits(std::wstring_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

wchar_t Digit(int value) { return static_cast<wchar_t>(L'0' + value); }

}  // namespace

std::wstring NormaliseDate(std::wstring_view year, std::wstring_view month, std::wstring_view day) {
  const auto y = ReadDigits(Trim(year), 4);
  const auto m = ReadDigits(Trim(month), 2);
  const auto d = ReadDigits(Trim(day), 2);
  if (!y || !m || !d) return {};
  if (*y < 1980 || *m < 1 || *m > 12 || *d < 1) return {};
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days = kDays[*m - 1] + ((*m == 2 && IsLeapYear(*y)) ? 1 : 0);
  if (*d > days) return {};
  std::wstring out = {Digit(*y / 1000), Digit(*y / 100 % 10), Digit(*y / 10 % 10), Digit(*y % 10),
                      L'-', Digit(*m / 10), Digit(*m % 10), L'-', Digit(*d / 10), Digit(*d % 10)};
  return out;
}

std::wstring ReadRequestDate(std::wstring_view text) {
  const std::vector<std::wstring> parts = SplitText(Trim(text), L'-');
  if (parts.size() != 3) return {};
  return NormaliseDate(parts[0], parts[1], parts[2]);
}

std::string VersionSortKey(std::wstring_view version) {
  std::vector<std::wstring> parts = SplitText(Trim(version), L'.');
  std::string key;
  for (std::size_t i = 0; i < 4; ++i) {
    unsigned long long value = 0;
    if (i < parts.size()) {
      const std::wstring part = Trim(parts[i]);
      for (wchar_t c : part) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > 9999999999ULL) value = 9999999999ULL;
      }
    }
    std::string digits = std::to_string(value);
    if (i) key += '.';
    key += std::string(10 - digits.size(), '0') + digits;
  }
  return key;
}

std::vector<std::wstring> RequestIds(std::wstring_view matchingIds) {
  std::vector<std::wstring> ids;
  std::set<std::wstring> seen;
  for (const std::wstring& piece : SplitText(matchingIds, L'|')) {
    std::wstring id = AsciiToLower(Trim(piece));
    if (id.empty() || !seen.insert(id).second) continue;
    ids.push_back(std::move(id));
    if (ids.size() == kMaxIdsPerDevice) break;
  }
  return ids;
}

std::wstring ClientDriverDate(std::wstring_view isoDate) {
  const std::vector<std::wstring> parts = SplitText(isoDate, L'-');
  if (parts.size() != 3) return std::wstring(isoDate);
  auto unpadded = [](const std::wstring& part) {
    const std::size_t first = part.find_first_not_of(L'0');
    return first == std::wstring::npos ? std::wstring(L"0") : part.substr(first);
  };
  return unpadded(parts[1]) + L"-" + unpadded(parts[2]) + L"-" + parts[0];
}

std::wstring ClientInfPath(std::wstring_view archivePath) {
  std::wstring path = L"Extract\\";
  for (wchar_t c : archivePath) path += (c == L'/') ? L'\\' : c;
  return path;
}

}  // namespace velkor::service
