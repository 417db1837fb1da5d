#include "offer_rules.hpp"

#include <algorithm>
#include <set>

#include "base/utf.hpp"

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

namespace {

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

bool IsBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

std::vector<std::string> RequestIds(std::string_view matchingIds) {
  // Rare text that is not UTF-8 is read the way the rest of the service reads
  // it (malformed bytes as U+FFFD); the common case is scanned once.
  std::string cleaned;
  if (!IsUtf8(matchingIds)) {
    cleaned = ToUtf8(FromUtf8(matchingIds));
    matchingIds = cleaned;
  }
  std::vector<std::string> ids;
  std::size_t start = 0;
  while (start <= matchingIds.size() && ids.size() < kMaxIdsPerDevice) {
    std::size_t end = matchingIds.find('|', start);
    if (end == std::string_view::npos) end = matchingIds.size();
    std::string_view piece = matchingIds.substr(start, end - start);
    start = end + 1;
    while (!piece.empty() && IsBlankByte(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && IsBlankByte(piece.back())) piece.remove_suffix(1);
    if (piece.empty()) continue;
    std::string id(piece);
    for (char& c : id) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    // At most a few hundred: a scan of them is cheaper than a set.
    if (std::any_of(ids.begin(), ids.end(), [&](const std::string& known) { return known == id; })) continue;
    ids.push_back(std::move(id));
  }
  return ids;
}

void AppendClientDriverDate(std::string& out, std::string_view isoDate) {
  if (isoDate.size() != 10 || isoDate[4] != '-' || isoDate[7] != '-') {
    out += isoDate;
    return;
  }
  auto unpadded = [&](std::string_view part) {
    const std::size_t first = part.find_first_not_of('0');
    out += first == std::string_view::npos ? std::string_view("0") : part.substr(first);
  };
  unpadded(isoDate.substr(5, 2));
  out += '-';
  unpadded(isoDate.substr(8, 2));
  out += '-';
  out += isoDate.substr(0, 4);
}

void AppendClientInfPath(std::string& out, std::string_view archivePath) {
  out += "Extract\\";
  for (char c : archivePath) out += c == '/' ? '\\' : c;
}

}  // namespace velkor::service
