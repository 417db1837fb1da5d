// Network.dll: every exchange of the program with its update service.
//
//   POST {base}v1/scan        scan request document -> answer document
//   GET  {base}v1/driver?id=&os=   -> "URL|MD5"
//   POST {base}v1/feedback    feedback document -> 200 when stored
//
// The scan and the driver lookup carry the running Windows in headers of their
// own (system_headers.hpp).
//
// Texts travel as UTF-8. The scan answer and the driver lookup answer decide
// what is downloaded and installed with administrator rights: each is handed
// to the program only with a valid signature of the service over the request
// (the running Windows it reported included) and the answer (docs/protocol.md,
// "Signed answers"); any other answer is a failed call, as if the service could
// not be reached. No exception leaves the component: a failure is a FALSE
// result.

#include <windows.h>

#include <cwchar>
#include <new>
#include <string>

#include "answer_keys.hpp"
#include "base/utf.hpp"
#include "http_client_win.hpp"
#include "network_api.h"
#include "running_windows_win.hpp"
#include "service_config_win.hpp"

namespace velkor::network {
namespace {

// Bounds on what the service may send back.
constexpr size_t kMaxScanAnswer = 32u << 20;   // 1024 devices with several offers each
constexpr size_t kMaxLookupAnswer = 64u << 10; // one URL and one MD5
constexpr size_t kMaxDocumentChars = 16u << 20;

bool ChooseAddress(const wchar_t* server, ServiceAddress& address) {
  return ChooseServiceAddress(server, ThisProcessElevation(), address);
}

bool TextOf(const wchar_t* text, std::wstring& out) {
  if (text == nullptr) return false;
  const size_t length = wcsnlen(text, kMaxDocumentChars + 1);
  if (length > kMaxDocumentChars) return false;
  out.assign(text, length);
  return true;
}

// A client that tells the service which Windows asks (the header lines
// `windows`), so that it can offer what Windows would install here (the scan
// and the driver lookup). The service signs its answer over the same lines.
HttpClient TellingClient(const std::string& windows) {
  HttpClient client;
  client.AddHeaders(windows);
  return client;
}

BOOL HandOut(const std::string& utf8, wchar_t** answer) {
  const std::wstring text = FromUtf8(utf8);
  wchar_t* copy = new (std::nothrow) wchar_t[text.size() + 1];
  if (copy == nullptr) return FALSE;
  wmemcpy(copy, text.c_str(), text.size() + 1);
  *answer = copy;
  return TRUE;
}

}  // namespace
}  // namespace velkor::network

using namespace velkor::network;

extern "C" void WINAPI ReleaseAnswer(wchar_t* answer) { delete[] answer; }

extern "C" BOOL WINAPI ScanLookup(wchar_t* server, const wchar_t* request,
                                                        wchar_t** answer) {
  try {
    if (answer == nullptr) return FALSE;
    *answer = nullptr;
    ServiceAddress address;
    std::wstring document;
    if (!ChooseAddress(server, address) || !TextOf(request, document)) return FALSE;
    const std::string request = velkor::ToUtf8(document);
    const std::string windows = FormatWindowsHeaders(RunningWindows());
    HttpAnswer received;
    if (!TellingClient(windows).Post(address, RequestPath(address, L"v1/scan"), "application/xml; charset=utf-8",
                                     request, kMaxScanAnswer, received)) {
      return FALSE;
    }
    const std::string_view parts[] = {request, windows, received.body};
    if (!IsSignedAnswer(velkor::SignaturePurpose::kScanAnswer, parts, received)) return FALSE;
    return HandOut(received.body, answer);
  } catch (...) {
    return FALSE;
  }
}

extern "C" BOOL WINAPI DriverLookup(wchar_t* server,
                                                          const wchar_t* hardwareId,
                                                          const wchar_t* osCode,
                                                          wchar_t** answer) {
  try {
    if (answer == nullptr) return FALSE;
    *answer = nullptr;
    ServiceAddress address;
    std::wstring id;
    std::wstring os;
    if (!ChooseAddress(server, address) || !TextOf(hardwareId, id) || !TextOf(osCode, os) ||
        id.empty()) {
      return FALSE;
    }
    const std::wstring path = RequestPath(address, L"v1/driver") + L"?id=" + EncodeQueryValue(id) +
                              L"&os=" + EncodeQueryValue(os);
    const std::string windows = FormatWindowsHeaders(RunningWindows());
    HttpAnswer received;
    if (!TellingClient(windows).Get(address, path, kMaxLookupAnswer, received)) return FALSE;
    const std::string idText = velkor::ToUtf8(id);
    const std::string osText = velkor::ToUtf8(os);
    const std::string_view parts[] = {idText, osText, windows, received.body};
    if (!IsSignedAnswer(velkor::SignaturePurpose::kDriverAnswer, parts, received)) return FALSE;
    std::string body = std::move(received.body);
    // Exactly one line "URL|MD5"; a trailing line end is tolerated.
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
    if (body.find('|') == std::string::npos || body.find_first_of("\r\n") != std::string::npos) {
      return FALSE;
    }
    return HandOut(body, answer);
  } catch (...) {
    return FALSE;
  }
}

extern "C" BOOL WINAPI SendFeedback(const wchar_t* document) {
  try {
    std::wstring text;
    if (!TextOf(document, text)) return FALSE;
    // The program only thanks the user for an accepted report, so the answer
    // needs no signature.
    const ServiceAddress address = ConfiguredServiceAddress(ThisProcessElevation());
    HttpAnswer received;
    return HttpClient().Post(address, RequestPath(address, L"v1/feedback"), "application/xml; charset=utf-8",
                             velkor::ToUtf8(text), kMaxLookupAnswer, received)
               ? TRUE
               : FALSE;
  } catch (...) {
    return FALSE;
  }
}
