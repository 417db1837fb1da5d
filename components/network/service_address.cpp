#include "service_address.hpp"

#include "base/text.hpp"

namespace velkor::network {
namespace {

bool IsHostChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'-' || c == L'.';
}

bool IsPathChar(wchar_t c) {
  // Printable ASCII without blanks, quotes, "?" and "#": the configured path is
  // a plain prefix, never a query.
  return c > L' ' && c < 0x7F && c != L'"' && c != L'?' && c != L'#' && c != L'\\';
}

bool IsIpv6Char(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F') || c == L':' ||
         c == L'.';
}

// "[...]" of an IPv6 address: hexadecimal digits, colons and dots only.
bool IsIpv6Literal(std::wstring_view text) {
  if (text.size() < 2 || text.size() > 47) return false;
  for (wchar_t c : text) {
    if (!IsIpv6Char(c)) return false;
  }
  return text.find(L':') != std::wstring_view::npos;
}

// A decimal part of a dotted IPv4 address, 0-255 without leading zeros (a
// leading zero reads as octal to some resolvers).
std::optional<unsigned> DottedPart(std::wstring_view text) {
  if (text.empty() || text.size() > 3 || (text.size() > 1 && text.front() == L'0')) return std::nullopt;
  unsigned value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  if (value > 255) return std::nullopt;
  return value;
}

// Reads "scheme://authority" and returns what follows (from the first "/" on,
// or empty); nullopt when it is not an http or https URL with a good host and
// port.
std::optional<std::wstring_view> ReadOrigin(std::wstring_view url, ServiceAddress& address) {
  const std::wstring lower = AsciiToLower(url.substr(0, 8));
  std::wstring_view rest = url;
  if (lower.starts_with(L"http://")) {
    rest.remove_prefix(7);
    address.secure = false;
    address.port = 80;
  } else if (lower.starts_with(L"https://")) {
    rest.remove_prefix(8);
    address.secure = true;
    address.port = 443;
  } else {
    return std::nullopt;
  }

  const size_t slash = rest.find(L'/');
  std::wstring_view authority = rest.substr(0, slash);
  const std::wstring_view path = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash);

  std::wstring_view host = authority;
  std::wstring_view portText;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == L'[') {
    const size_t close = authority.find(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    const std::wstring_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != L':') return std::nullopt;
      portText = after.substr(1);
      hasPort = true;
    }
    if (!IsIpv6Literal(host)) return std::nullopt;
  } else {
    const size_t colon = authority.rfind(L':');
    if (colon != std::wstring_view::npos) {
      host = authority.substr(0, colon);
      portText = authority.substr(colon + 1);
      hasPort = true;
    }
    if (!IsValidHostName(host)) return std::nullopt;
  }
  if (hasPort) {
    if (portText.empty() || portText.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (wchar_t c : portText) {
      if (c < L'0' || c > L'9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    address.port = static_cast<std::uint16_t>(value);
  }
  address.host = std::wstring(host);
  return path;
}

}  // namespace

bool IsValidHostName(std::wstring_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (host.front() == L'.' || host.front() == L'-' || host.back() == L'-') return false;
  for (wchar_t c : host) {
    if (!IsHostChar(c)) return false;
  }
  return host.find(L"..") == std::wstring_view::npos;
}

bool IsLoopbackHost(std::wstring_view host) {
  if (AsciiEqualsNoCase(host, L"localhost") || host == L"::1") return true;
  // Exactly four decimal parts, the first 127.
  unsigned parts = 0;
  std::wstring_view rest = host;
  for (;;) {
    const size_t dot = rest.find(L'.');
    const std::optional<unsigned> part = DottedPart(rest.substr(0, dot));
    if (!part || (parts == 0 && *part != 127)) return false;
    ++parts;
    if (dot == std::wstring_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  return parts == 4;
}

bool IsTransportAllowed(const ServiceAddress& address) { return address.secure || IsLoopbackHost(address.host); }

std::optional<ServiceAddress> ParseServiceUrl(std::wstring_view url) {
  ServiceAddress address;
  const std::optional<std::wstring_view> path = ReadOrigin(url, address);
  if (!path) return std::nullopt;
  for (wchar_t c : *path) {
    if (!IsPathChar(c)) return std::nullopt;
  }
  address.basePath = path->empty() ? L"/" : std::wstring(*path);
  if (address.basePath.back() != L'/') address.basePath.push_back(L'/');
  return address;
}

ServiceAddress WithHost(const ServiceAddress& address, std::wstring_view host) {
  ServiceAddress other = address;
  other.host = std::wstring(host);
  return other;
}

std::wstring RequestPath(const ServiceAddress& address, std::wstring_view relative) {
  while (!relative.empty() && relative.front() == L'/') relative.remove_prefix(1);
  return address.basePath + std::wstring(relative);
}

std::wstring ServiceUrl(const ServiceAddress& address, std::wstring_view relative) {
  std::wstring url = address.secure ? L"https://" : L"http://";
  url += address.host.find(L':') != std::wstring::npos ? L"[" + address.host + L"]" : address.host;
  if (address.port != (address.secure ? 443 : 80)) url += L":" + std::to_wstring(address.port);
  return url + RequestPath(address, relative);
}

std::optional<RedirectTarget> FollowRedirect(const ServiceAddress& from, std::wstring_view location) {
  RedirectTarget target{from, {}};
  std::wstring_view path = location;
  if (!location.starts_with(L"/")) {
    ServiceAddress to;
    const std::optional<std::wstring_view> rest = ReadOrigin(location, to);
    if (!rest || to.secure != from.secure || !AsciiEqualsNoCase(to.host, from.host)) return std::nullopt;
    target.address.port = to.port;
    path = rest->empty() ? std::wstring_view(L"/") : *rest;
  } else if (location.starts_with(L"//")) {
    return std::nullopt;  // another host with the same scheme, by a form we do not read
  }
  for (wchar_t c : path) {
    if (!(IsPathChar(c) || c == L'?')) return std::nullopt;
  }
  target.requestPath = std::wstring(path);
  return target;
}

}  // namespace velkor::network
