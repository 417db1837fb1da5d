#pragma once
// Where the update service is: its base address (scheme, host, port, path),
// from the per-user or per-machine configuration, else the built-in default;
// and the rules for where a call may go: plain HTTP only to this machine,
// redirects only to the same scheme and host.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::network {

struct ServiceAddress {
  bool secure = false;   // https
  std::wstring host;     // a host name, an IPv4 address, or an IPv6 address without brackets
  std::uint16_t port = 0;
  std::wstring basePath;  // always ends in "/"
};

// The address used when nothing is configured. The demo and the tests name a
// service on this machine in "ServiceUrl" instead.
inline constexpr wchar_t kDefaultServiceUrl[] = L"https://update.velkor-brenn.com/";

// Reads an http or https URL with a host (a name, an IPv4 address, or an IPv6
// address in brackets), an optional port and an optional path. Anything else
// (other schemes, user names, queries, fragments, blanks or control characters,
// a bad port) is refused.
std::optional<ServiceAddress> ParseServiceUrl(std::wstring_view url);

// A host name as a fallback server may give it: letters, digits, "-", "." and
// an IPv4 address; at most 253 characters. Refused otherwise.
bool IsValidHostName(std::wstring_view host);

// This machine, by a name no outside party answers for: "localhost", an IPv4
// address 127.x.y.z written plainly (four decimal parts without leading zeros),
// or "::1". Any other spelling counts as another machine.
bool IsLoopbackHost(std::wstring_view host);

// HTTPS may go anywhere; plain HTTP only to a loopback host, where nobody on
// the way can read or change the exchange.
bool IsTransportAllowed(const ServiceAddress& address);

// The same scheme, port and path on another host.
ServiceAddress WithHost(const ServiceAddress& address, std::wstring_view host);

// Base path + relative path ("v1/scan"), for the request line.
std::wstring RequestPath(const ServiceAddress& address, std::wstring_view relative);

// The whole URL of a relative path on the service ("v1/app/version"), as
// ParseServiceUrl reads it back: IPv6 hosts in brackets, default ports left out.
std::wstring ServiceUrl(const ServiceAddress& address, std::wstring_view relative);

// Where a redirect's Location leads, when it may be followed: an absolute URL
// with the same scheme and host (any port), or a path on the same server. The
// request path keeps the query; fragments, blanks, control characters and
// backslashes are refused, as is every other form.
struct RedirectTarget {
  ServiceAddress address;
  std::wstring requestPath;
};
std::optional<RedirectTarget> FollowRedirect(const ServiceAddress& from, std::wstring_view location);

}  // namespace velkor::network
