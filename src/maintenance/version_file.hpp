#pragma once
// The self-update's version file as the program reads it: the version of the
// setup program on offer, where it is and its SHA-256, taken only from the
// lines the update service signed (base/signed_version_file.hpp), and the
// comparison of that version with the program's own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/signed_content.hpp"

namespace velkor {

inline constexpr wchar_t kVersionFileSection[] = L"RESOURCESTRING";
// The version file is a few lines; a larger one is not ours.
inline constexpr std::size_t kVersionFileLimit = 64 * 1024;

struct VersionFileFields {
  std::wstring version;      // "VERSION" (empty: no update)
  std::wstring downloadUrl;  // "DOWNLOADURL"
  std::optional<Sha256Digest> setupSha256;  // "SHA256", when it is 64 hexadecimal digits
};

// The keys of section RESOURCESTRING under the profile rules (names without
// regard to case, blanks trimmed, quotes dropped, first key wins, values cut
// to 2047 characters), from UTF-8 text.
VersionFileFields ReadVersionFields(std::string_view signedLines);

// True when `offered` is newer than `own`: the first four dot-separated parts
// of each read as decimal numbers (a missing or unreadable part counts as 0),
// compared from the first; equal versions are not newer.
bool IsNewerVersionText(std::wstring_view own, std::wstring_view offered);

}  // namespace velkor
