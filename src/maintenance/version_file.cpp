#include "maintenance/version_file.hpp"

#include <array>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "core/text_file_format.hpp"

namespace velkor {
namespace {

using VersionParts = std::array<std::uint32_t, 4>;

// Leading decimal digits of a part, saturated; anything after them is ignored,
// as a number reader of the C library would.
std::uint32_t PartValue(std::wstring_view part) {
  std::uint64_t value = 0;
  for (wchar_t c : part) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<std::uint32_t>(value);
}

VersionParts PartsOf(std::wstring_view version) {
  VersionParts parts{};
  const std::vector<std::wstring> pieces = SplitText(Trim(version), L'.');
  for (std::size_t i = 0; i < parts.size() && i < pieces.size(); ++i) parts[i] = PartValue(Trim(pieces[i]));
  return parts;
}

std::optional<Sha256Digest> DigestOf(std::wstring_view hex) {
  if (hex.size() != 64) return std::nullopt;
  Sha256Digest digest{};
  for (std::size_t i = 0; i < 64; ++i) {
    const wchar_t c = hex[i];
    int nibble = -1;
    if (c >= L'0' && c <= L'9') nibble = c - L'0';
    if (c >= L'a' && c <= L'f') nibble = c - L'a' + 10;
    if (c >= L'A' && c <= L'F') nibble = c - L'A' + 10;
    if (nibble < 0) return std::nullopt;
    digest[i / 2] = static_cast<std::uint8_t>((digest[i / 2] << 4) | nibble);
  }
  return digest;
}

}  // namespace

VersionFileFields ReadVersionFields(std::string_view signedLines) {
  const ProfileDocument document = ProfileDocument::FromText(FromUtf8(signedLines));
  VersionFileFields fields;
  fields.version = document.Value(kVersionFileSection, L"VERSION").value_or(L"");
  fields.downloadUrl = document.Value(kVersionFileSection, L"DOWNLOADURL").value_or(L"");
  if (const auto hex = document.Value(kVersionFileSection, L"SHA256")) fields.setupSha256 = DigestOf(*hex);
  return fields;
}

bool IsNewerVersionText(std::wstring_view own, std::wstring_view offered) {
  const VersionParts mine = PartsOf(own);
  const VersionParts theirs = PartsOf(offered);
  for (std::size_t i = 0; i < mine.size(); ++i) {
    if (theirs[i] != mine[i]) return theirs[i] > mine[i];
  }
  return false;
}

}  // namespace velkor
