#pragma once
// Download addresses as the update service hands them out: reading an http or
// https URL into host, port and object path, the title shown for it, and the
// extension its package is saved under. Every text here comes from outside and
// is treated as hostile: nothing read from it may lead a file out of the
// download folder.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor {

struct DownloadUrl {
  bool secure = false;  // https
  std::wstring host;    // a name, an IPv4 address, or an IPv6 address in brackets
  std::uint16_t port = 0;
  // Path and query as the request line carries them ("/" when the URL has
  // none); the fragment is never sent.
  std::wstring object;
};

// Reads "http://host[:port][/path][?query][#fragment]" (https too, scheme in
// any letter case). Refused: any other scheme or none, user names, an empty or
// malformed host, a port outside 1..65535, blanks and control characters.
std::optional<DownloadUrl> ParseDownloadUrl(std::wstring_view url);

// The same, and when the text does not read as a URL, once more with "http://"
// put in front; url then holds the prefixed text (the transfer keeps it).
std::optional<DownloadUrl> ParseDownloadUrlWithHttpRetry(std::wstring& url);

// True when the text begins with a scheme ("name://") other than http and
// https: such an address is never fetched. A text without any scheme is an
// address for http.
bool HasForeignScheme(std::wstring_view url);

// The last part of an object path, for display: the text after its last "/",
// else after its last "\"; the whole path when it has neither or is shorter
// than two characters.
std::wstring FileTitleOf(std::wstring_view object);

// The extension a package is saved under: from the last "." of the URL's
// path (never its host, query or fragment), kept only when it is a plain file
// name extension (1 to kMaxExtensionChars ASCII letters and digits after the
// dot); anything else is saved as kSafePackageExtension.
inline constexpr std::size_t kMaxExtensionChars = 16;
inline constexpr wchar_t kSafePackageExtension[] = L".bin";
std::wstring PackageExtension(std::wstring_view url);

}  // namespace velkor
