#pragma once
// One HTTP(S) exchange with the update service over WinINet. Certificates are
// validated in full (no ignore flags), plain HTTP goes only to this machine,
// redirects are followed by us and only to the same scheme and host, the
// user's proxy settings apply, nothing is cached, every call has an overall
// deadline besides the time-out of each operation, and answers larger than the
// caller's bound are refused.

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
  unsigned long overallMs = 120000;  // the whole call, redirects included
};

// A 200 answer: its body and the values of the signature headers (empty when
// the answer has none, or has one twice).
struct HttpAnswer {
  std::string body;
  std::string keyId;
  std::string signature;
};

class HttpClient {
 public:
  explicit HttpClient(HttpTimeouts timeouts = {});

  // Header lines (each ending in CR LF, ASCII) sent with every request.
  void AddHeaders(std::string_view lines);

  // POST body to path; true with a 200 answer.
  bool Post(const ServiceAddress& address, std::wstring_view path, std::string_view contentType,
            std::string_view body, std::size_t maxAnswer, HttpAnswer& answer) const;
  // GET path (which may carry a query); true with a 200 answer.
  bool Get(const ServiceAddress& address, std::wstring_view path, std::size_t maxAnswer, HttpAnswer& answer) const;

 private:
  struct Call;
  bool Exchange(Call& call, HttpAnswer& answer) const;

  HttpTimeouts timeouts_;
  UniqueInternetHandle session_;
  std::wstring extraHeaders_;
};

// Percent-encodes text as UTF-8 for a query string (RFC 3986 unreserved kept).
std::wstring EncodeQueryValue(std::wstring_view text);

}  // namespace velkor::network
