#pragma once
// One HTTP(S) exchange with the update service over WinINet. Certificates are
// validated in full (no ignore flags), the user's proxy settings apply, nothing
// is cached, and answers larger than the caller's bound are refused.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/internet_handle.hpp"
#include "service_address.hpp"

namespace velkor::network {

struct HttpTimeouts {
  unsigned long connectMs = 10000;
  unsigned long sendMs = 30000;
  unsigned long receiveMs = 60000;
};

class HttpClient {
 public:
  explicit HttpClient(HttpTimeouts timeouts = {});

  // Header lines (each ending in CR LF, ASCII) sent with every request.
  void AddHeaders(std::string_view lines);

  // POST body to path; true with the body of a 200 answer.
  bool Post(const ServiceAddress& address, std::wstring_view path, std::string_view contentType,
            std::string_view body, std::size_t maxAnswer, std::string& answer) const;
  // GET path (which may carry a query); true with the body of a 200 answer.
  bool Get(const ServiceAddress& address, std::wstring_view path, std::size_t maxAnswer,
           std::string& answer) const;

 private:
  bool Exchange(const ServiceAddress& address, const wchar_t* verb, std::wstring_view path,
                std::string_view contentType, std::string_view body, std::size_t maxAnswer,
                std::string& answer) const;

  UniqueInternetHandle session_;
  std::wstring extraHeaders_;
};

// Percent-encodes text as UTF-8 for a query string (RFC 3986 unreserved kept).
std::wstring EncodeQueryValue(std::wstring_view text);

}  // namespace velkor::network
