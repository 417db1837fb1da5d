#include "http_client_win.hpp"

#include <algorithm>
#include <optional>

#include "base/signed_content.hpp"
#include "base/utf.hpp"
#include "call_deadline.hpp"
#include "velkor_version.h"

namespace velkor::network {
namespace {

constexpr int kMaxRedirects = 5;
constexpr DWORD kMaxHeaderChars = 4096;

void SetTimeout(HINTERNET handle, DWORD option, DWORD ms) {
  InternetSetOptionW(handle, option, &ms, sizeof(ms));
}

// A response header's value; empty when it is missing, too long, or sent more
// than once (two signatures leave no way to tell which one the service meant).
std::string SingleHeader(HINTERNET request, const char* name) {
  std::wstring buffer(kMaxHeaderChars, L'\0');
  const std::wstring wide = FromUtf8(name);
  wmemcpy(buffer.data(), wide.c_str(), wide.size() + 1);
  DWORD size = kMaxHeaderChars * sizeof(wchar_t);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CUSTOM, buffer.data(), &size, &index)) return {};
  buffer.resize(size / sizeof(wchar_t));
  std::wstring again(kMaxHeaderChars, L'\0');
  wmemcpy(again.data(), wide.c_str(), wide.size() + 1);
  DWORD againSize = kMaxHeaderChars * sizeof(wchar_t);
  if (HttpQueryInfoW(request, HTTP_QUERY_CUSTOM, again.data(), &againSize, &index) ||
      GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    return {};
  }
  return ToUtf8(buffer);
}

std::optional<std::wstring> LocationHeader(HINTERNET request) {
  std::wstring buffer(kMaxHeaderChars, L'\0');
  DWORD size = kMaxHeaderChars * sizeof(wchar_t);
  if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, buffer.data(), &size, nullptr)) return std::nullopt;
  buffer.resize(size / sizeof(wchar_t));
  return buffer;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

// One call: what to send, where it is now (redirects move it) and its deadline.
struct HttpClient::Call {
  ServiceAddress address;
  std::wstring path;
  const wchar_t* verb;
  std::string_view contentType;
  std::string_view body;
  std::size_t maxAnswer;
  CallDeadline deadline;
};

HttpClient::HttpClient(HttpTimeouts timeouts)
    : timeouts_(timeouts),
      session_(InternetOpenW(L"Velkor/" VELKOR_VERSION_WTEXT, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
  if (!session_) return;
  // One attempt per call: the caller owns the retry policy.
  DWORD retries = 1;
  InternetSetOptionW(session_.get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
}

void HttpClient::AddHeaders(std::string_view lines) { extraHeaders_ += FromUtf8(lines); }

bool HttpClient::Post(const ServiceAddress& address, std::wstring_view path, std::string_view contentType,
                      std::string_view body, std::size_t maxAnswer, HttpAnswer& answer) const {
  Call call{address, std::wstring(path), L"POST", contentType, body, maxAnswer,
            CallDeadline(GetTickCount(), timeouts_.overallMs)};
  return Exchange(call, answer);
}

bool HttpClient::Get(const ServiceAddress& address, std::wstring_view path, std::size_t maxAnswer,
                     HttpAnswer& answer) const {
  Call call{address, std::wstring(path), L"GET", {}, {}, maxAnswer,
            CallDeadline(GetTickCount(), timeouts_.overallMs)};
  return Exchange(call, answer);
}

bool HttpClient::Exchange(Call& call, HttpAnswer& answer) const {
  if (!session_ || call.body.size() > 0x7FFFFFFF) return false;
  for (int hop = 0; hop <= kMaxRedirects; ++hop) {
    // Refused before any connection is made: the inventory never leaves in
    // clear text for another machine.
    const DWORD now = GetTickCount();
    if (!IsTransportAllowed(call.address) || call.deadline.RemainingMs(now) == 0) return false;
    UniqueInternetHandle connection(InternetConnectW(session_.get(), call.address.host.c_str(), call.address.port,
                                                     nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return false;

    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (call.address.secure) flags |= INTERNET_FLAG_SECURE;
    UniqueInternetHandle request(
        HttpOpenRequestW(connection.get(), call.verb, call.path.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request) return false;

    // A time-out of 0 would mean none at all; `now` left time above, so these
    // are at least 1 ms.
    SetTimeout(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, call.deadline.Cap(timeouts_.connectMs, now));
    SetTimeout(request.get(), INTERNET_OPTION_SEND_TIMEOUT, call.deadline.Cap(timeouts_.sendMs, now));
    SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, call.deadline.Cap(timeouts_.receiveMs, now));
    std::wstring headers;
    if (!call.contentType.empty()) headers = L"Content-Type: " + FromUtf8(call.contentType) + L"\r\n";
    headers += extraHeaders_;
    if (!HttpSendRequestW(request.get(), headers.empty() ? nullptr : headers.c_str(),
                          static_cast<DWORD>(headers.size()), const_cast<char*>(call.body.data()),
                          static_cast<DWORD>(call.body.size()))) {
      return false;
    }

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                        nullptr)) {
      return false;
    }
    if (IsRedirect(status)) {
      // A POST keeps its method and body only with 307 and 308; the others
      // would turn it into a GET that the service does not answer.
      const bool keepsMethod = status == 307 || status == 308;
      if (std::wstring_view(call.verb) == L"POST" && !keepsMethod) return false;
      const std::optional<std::wstring> location = LocationHeader(request.get());
      const std::optional<RedirectTarget> target =
          location ? FollowRedirect(call.address, *location) : std::nullopt;
      if (!target) return false;
      call.address = target->address;
      call.path = target->requestPath;
      continue;
    }
    if (status != 200) return false;

    std::string received;
    char chunk[16384];
    for (;;) {
      // Wait for bytes only as long as the call has left, then read no more
      // than are there, so that no read blocks past the deadline.
      const DWORD left = call.deadline.Cap(timeouts_.receiveMs, GetTickCount());
      if (left == 0) return false;
      SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, left);
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request.get(), &available, 0, 0)) return false;
      if (available == 0) break;
      DWORD read = 0;
      if (!InternetReadFile(request.get(), chunk, std::min<DWORD>(available, sizeof(chunk)), &read)) return false;
      if (read == 0) break;
      if (received.size() + read > call.maxAnswer) return false;
      received.append(chunk, read);
    }
    if (call.deadline.RemainingMs(GetTickCount()) == 0) return false;
    answer.keyId = SingleHeader(request.get(), kKeyIdHeader);
    answer.signature = SingleHeader(request.get(), kSignatureHeader);
    answer.body = std::move(received);
    return true;
  }
  return false;  // too many redirects
}

std::wstring EncodeQueryValue(std::wstring_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::wstring out;
  for (unsigned char byte : ToUtf8(text)) {
    const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                            byte == '_' || byte == '~';
    if (unreserved) {
      out.push_back(static_cast<wchar_t>(byte));
    } else {
      out.push_back(L'%');
      out.push_back(static_cast<wchar_t>(kHex[byte >> 4]));
      out.push_back(static_cast<wchar_t>(kHex[byte & 0xF]));
    }
  }
  return out;
}

}  // namespace velkor::network
