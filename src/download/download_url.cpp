#include "download/download_url.hpp"

#include "base/text.hpp"

namespace velkor {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) { return IsAsciiDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
bool IsControlOrBlank(wchar_t c) { return c <= L' ' || c == 0x7F; }

bool IsHostNameChar(wchar_t c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == L'-' || c == L'.' || c == L'_'; }

// The length of "name://" at the start of the text (0 when there is none).
// A scheme name is a letter followed by letters, digits, "+", "-" and ".".
std::size_t SchemePrefixLength(std::wstring_view url) {
  if (url.empty() || !IsAsciiLetter(url.front())) return 0;
  std::size_t i = 1;
  while (i < url.size() && (IsAsciiLetter(url[i]) || IsAsciiDigit(url[i]) || url[i] == L'+' || url[i] == L'-' ||
                            url[i] == L'.')) {
    ++i;
  }
  return url.substr(i).starts_with(L"://") ? i + 3 : 0;
}

// Where the authority (host and port) after the scheme ends.
std::size_t AuthorityEnd(std::wstring_view rest) {
  const std::size_t end = rest.find_first_of(L"/?#\\");
  return end == std::wstring_view::npos ? rest.size() : end;
}

bool ReadPort(std::wstring_view text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (wchar_t c : text) {
    if (!IsAsciiDigit(c)) return false;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

bool ReadHost(std::wstring_view authority, DownloadUrl& url) {
  std::wstring_view host = authority;
  std::wstring_view portText;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == L'[') {
    const std::size_t close = authority.find(L']');
    if (close == std::wstring_view::npos || close < 2) return false;
    for (wchar_t c : authority.substr(1, close - 1)) {
      if (!IsHexDigit(c) && c != L':' && c != L'.') return false;
    }
    host = authority.substr(0, close + 1);
    const std::wstring_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != L':') return false;
      portText = after.substr(1);
      hasPort = true;
    }
  } else {
    const std::size_t colon = authority.find(L':');
    if (colon != std::wstring_view::npos) {
      host = authority.substr(0, colon);
      portText = authority.substr(colon + 1);
      hasPort = true;
    }
    if (host.empty() || host.front() == L'.' || host.front() == L'-') return false;
    for (wchar_t c : host) {
      if (!IsHostNameChar(c)) return false;
    }
  }
  if (hasPort && !ReadPort(portText, url.port)) return false;
  url.host = std::wstring(host);
  return true;
}

}  // namespace

std::optional<DownloadUrl> ParseDownloadUrl(std::wstring_view text) {
  for (wchar_t c : text) {
    if (IsControlOrBlank(c)) return std::nullopt;
  }
  const std::size_t prefix = SchemePrefixLength(text);
  if (prefix == 0) return std::nullopt;
  DownloadUrl url;
  const std::wstring scheme = AsciiToLower(text.substr(0, prefix - 3));
  if (scheme == L"http") {
    url.port = 80;
  } else if (scheme == L"https") {
    url.secure = true;
    url.port = 443;
  } else {
    return std::nullopt;
  }
  std::wstring_view rest = text.substr(prefix);
  const std::size_t authorityEnd = AuthorityEnd(rest);
  if (!ReadHost(rest.substr(0, authorityEnd), url)) return std::nullopt;

  std::wstring_view object = rest.substr(authorityEnd);
  const std::size_t fragment = object.find(L'#');
  if (fragment != std::wstring_view::npos) object = object.substr(0, fragment);
  url.object = object.empty() || object.front() != L'/' ? L"/" + std::wstring(object) : std::wstring(object);
  return url;
}

std::optional<DownloadUrl> ParseDownloadUrlWithHttpRetry(std::wstring& url) {
  std::optional<DownloadUrl> parsed = ParseDownloadUrl(url);
  if (parsed) return parsed;
  url = L"http://" + url;
  return ParseDownloadUrl(url);
}

bool HasForeignScheme(std::wstring_view url) {
  const std::size_t prefix = SchemePrefixLength(url);
  if (prefix == 0) return false;
  const std::wstring scheme = AsciiToLower(url.substr(0, prefix - 3));
  return scheme != L"http" && scheme != L"https";
}

std::wstring FileTitleOf(std::wstring_view object) {
  if (object.size() < 2) return std::wstring(object);
  std::size_t last = object.rfind(L'/');
  if (last == std::wstring_view::npos) last = object.rfind(L'\\');
  if (last == std::wstring_view::npos) return std::wstring(object);
  return std::wstring(object.substr(last + 1));
}

std::wstring PackageExtension(std::wstring_view url) {
  // The path: after the scheme and the host, before the query and fragment.
  std::wstring_view rest = url.substr(SchemePrefixLength(url));
  std::wstring_view path = rest.substr(AuthorityEnd(rest));
  const std::size_t query = path.find_first_of(L"?#");
  if (query != std::wstring_view::npos) path = path.substr(0, query);

  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring_view::npos) return kSafePackageExtension;
  const std::wstring_view name = path.substr(dot + 1);
  if (name.empty() || name.size() > kMaxExtensionChars) return kSafePackageExtension;
  for (wchar_t c : name) {
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) return kSafePackageExtension;
  }
  return std::wstring(path.substr(dot));
}

}  // namespace velkor
