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

}  // namespace

bool IsValidHostName(std::wstring_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (host.front() == L'.' || host.front() == L'-' || host.back() == L'-') return false;
  for (wchar_t c : host) {
    if (!IsHostChar(c)) return false;
  }
  return host.find(L"..") == std::wstring_view::npos;
}

std::optional<ServiceAddress> ParseServiceUrl(std::wstring_view url) {
  ServiceAddress address;
  const std::wstring lower = AsciiToLower(url);
  std::wstring_view rest = url;
  if (lower.starts_with(L"http://")) {
    rest.remove_prefix(7);
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
  std::wstring_view path = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash);

  const size_t colon = authority.rfind(L':');
  if (colon != std::wstring_view::npos) {
    const std::wstring_view portText = authority.substr(colon + 1);
    if (portText.empty() || portText.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (wchar_t c : portText) {
      if (c < L'0' || c > L'9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    address.port = static_cast<std::uint16_t>(value);
    authority = authority.substr(0, colon);
  }
  if (!IsValidHostName(authority)) return std::nullopt;
  address.host = std::wstring(authority);

  for (wchar_t c : path) {
    if (!IsPathChar(c)) return std::nullopt;
  }
  address.basePath = path.empty() ? L"/" : std::wstring(path);
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

}  // namespace velkor::network
