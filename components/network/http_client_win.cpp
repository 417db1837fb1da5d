#include "http_client_win.hpp"

#include "base/utf.hpp"
#include "velkor_version.h"

namespace velkor::network {
namespace {

void SetTimeout(HINTERNET handle, DWORD option, unsigned long ms) {
  DWORD value = ms;
  InternetSetOptionW(handle, option, &value, sizeof(value));
}

}  // namespace

HttpClient::HttpClient(HttpTimeouts timeouts)
    : session_(InternetOpenW(L"Velkor/" VELKOR_VERSION_WTEXT, INTERNET_OPEN_TYPE_PRECONFIG,
                             nullptr, nullptr, 0)) {
  if (!session_) return;
  SetTimeout(session_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs);
  SetTimeout(session_.get(), INTERNET_OPTION_SEND_TIMEOUT, timeouts.sendMs);
  SetTimeout(session_.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs);
  // One attempt per call: the caller owns the retry policy.
  DWORD retries = 1;
  InternetSetOptionW(session_.get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
}

void HttpClient::AddHeaders(std::string_view lines) { extraHeaders_ += FromUtf8(lines); }

bool HttpClient::Post(const ServiceAddress& address, std::wstring_view path,
                      std::string_view contentType, std::string_view body, std::size_t maxAnswer,
                      std::string& answer) const {
  return Exchange(address, L"POST", path, contentType, body, maxAnswer, answer);
}

bool HttpClient::Get(const ServiceAddress& address, std::wstring_view path, std::size_t maxAnswer,
                     std::string& answer) const {
  return Exchange(address, L"GET", path, {}, {}, maxAnswer, answer);
}

bool HttpClient::Exchange(const ServiceAddress& address, const wchar_t* verb,
                          std::wstring_view path, std::string_view contentType,
                          std::string_view body, std::size_t maxAnswer,
                          std::string& answer) const {
  if (!session_ || body.size() > 0x7FFFFFFF) return false;
  UniqueInternetHandle connection(InternetConnectW(session_.get(), address.host.c_str(),
                                                   address.port, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return false;

  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
  if (address.secure) flags |= INTERNET_FLAG_SECURE;
  const std::wstring target(path);
  UniqueInternetHandle request(HttpOpenRequestW(connection.get(), verb, target.c_str(), nullptr,
                                                nullptr, nullptr, flags, 0));
  if (!request) return false;

  std::wstring headers;
  if (!contentType.empty()) {
    headers = L"Content-Type: " + FromUtf8(contentType) + L"\r\n";
  }
  headers += extraHeaders_;
  if (!HttpSendRequestW(request.get(), headers.empty() ? nullptr : headers.c_str(),
                        static_cast<DWORD>(headers.size()),
                        const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
    return false;
  }

  DWORD status = 0;
  DWORD statusSize = sizeof(status);
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &statusSize, nullptr) ||
      status != 200) {
    return false;
  }

  std::string received;
  char chunk[16384];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request.get(), chunk, sizeof(chunk), &read)) return false;
    if (read == 0) break;
    if (received.size() + read > maxAnswer) return false;
    received.append(chunk, read);
  }
  answer = std::move(received);
  return true;
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
