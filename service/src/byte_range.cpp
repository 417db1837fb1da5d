#include "byte_range.hpp"

#include <optional>

namespace velkor::service {
namespace {

std::optional<std::uint64_t> ReadNumber(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

ByteRange ReadByteRange(std::string_view header, std::uint64_t size) {
  header = Trim(header);
  constexpr std::string_view kUnit = "bytes=";
  if (header.substr(0, kUnit.size()) != kUnit) return {};
  const std::string_view spec = Trim(header.substr(kUnit.size()));
  if (spec.find(',') != std::string_view::npos) return {};
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return {};
  const std::string_view firstText = Trim(spec.substr(0, dash));
  const std::string_view lastText = Trim(spec.substr(dash + 1));
  ByteRange range;
  range.kind = ByteRange::Kind::kPart;
  if (firstText.empty()) {
    // "-n": the last n bytes.
    const std::optional<std::uint64_t> count = ReadNumber(lastText);
    if (!count) return {};
    if (*count == 0 || size == 0) return ByteRange{ByteRange::Kind::kUnsatisfiable};
    range.length = *count < size ? *count : size;
    range.first = size - range.length;
    return range;
  }
  const std::optional<std::uint64_t> first = ReadNumber(firstText);
  if (!first) return {};
  std::uint64_t last = size == 0 ? 0 : size - 1;
  if (!lastText.empty()) {
    const std::optional<std::uint64_t> given = ReadNumber(lastText);
    if (!given || *given < *first) return {};
    if (*given < last) last = *given;
  }
  if (*first >= size) return ByteRange{ByteRange::Kind::kUnsatisfiable};
  range.first = *first;
  range.length = last - *first + 1;
  return range;
}

}  // namespace velkor::service
