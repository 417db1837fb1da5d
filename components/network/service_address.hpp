#pragma once
// Where the update service is: its base address (scheme, host, port, path),
// from the per-user or per-machine configuration, else the built-in default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::network {

struct ServiceAddress {
  bool secure = false;   // https
  std::wstring host;
  std::uint16_t port = 0;
  std::wstring basePath;  // always ends in "/"
};

// The address used when nothing is configured: a service on this machine.
inline constexpr wchar_t kDefaultServiceUrl[] = L"http://127.0.0.1:8750/";

// Reads an http or https URL with a host, an optional port and an optional path.
// Anything else (other schemes, user names, queries, fragments, blanks or control
// characters, a bad port) is refused.
std::optional<ServiceAddress> ParseServiceUrl(std::wstring_view url);

// A host name as a fallback server may give it: letters, digits, "-", "." and
// an IPv4 address; at most 253 characters. Refused otherwise.
bool IsValidHostName(std::wstring_view host);

// The same scheme, port and path on another host.
ServiceAddress WithHost(const ServiceAddress& address, std::wstring_view host);

// Base path + relative path ("v1/scan"), for the request line.
std::wstring RequestPath(const ServiceAddress& address, std::wstring_view relative);

}  // namespace velkor::network
