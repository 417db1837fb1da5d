#include "base/pem.hpp"

#include <string>

#include "base/byte_text.hpp"

namespace velkor {
namespace {

constexpr std::size_t kMaxBlockBytes = 64 * 1024;

// The next line without its line end; advances `rest` past it.
std::string_view NextLine(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// "LABEL" of a "-----BEGIN LABEL-----" line, or nullopt for any other line.
std::optional<std::string_view> BeginLabel(std::string_view line) {
  constexpr std::string_view kBegin = "-----BEGIN ";
  constexpr std::string_view kDashes = "-----";
  if (!line.starts_with(kBegin) || !line.ends_with(kDashes) || line.size() < kBegin.size() + kDashes.size()) {
    return std::nullopt;
  }
  return line.substr(kBegin.size(), line.size() - kBegin.size() - kDashes.size());
}

}  // namespace

std::optional<std::vector<std::vector<std::uint8_t>>> ReadPemBlocks(std::string_view text,
                                                                     std::string_view label) {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::optional<std::string_view> begin = BeginLabel(NextLine(rest));
    if (!begin) continue;
    const std::string end = "-----END " + std::string(*begin) + "-----";
    std::string base64;
    bool ended = false;
    while (!rest.empty()) {
      const std::string_view line = NextLine(rest);
      if (line == end) {
        ended = true;
        break;
      }
      if (base64.size() + line.size() > kMaxBlockBytes * 4 / 3 + 4) return std::nullopt;
      base64.append(line);
    }
    if (!ended) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = Base64Decode(base64, kMaxBlockBytes);
    if (!bytes) return std::nullopt;
    if (*begin == label) blocks.push_back(std::move(*bytes));
  }
  return blocks;
}

}  // namespace velkor
