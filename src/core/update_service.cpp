#include "core/update_service.hpp"

#include <cwchar>

#include "core/message_pump.hpp"
#include "core/registry_key.hpp"
#include "core/settings.hpp"

namespace velkor {
namespace {

constexpr DWORD kPauseBetweenCalls = 1024;  // ms

template <typename Fn>
Fn EntryPoint(HMODULE module, WORD ordinal) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

bool SafeCall(const std::function<bool(wchar_t* server)>& call, wchar_t* server) {
  try {
    return call(server);
  } catch (...) {
    return false;
  }
}

// A host name only: letters, digits, dots and hyphens, short enough for the
// component's server buffer. Anything else in the registry is not ours.
bool IsPlainHostName(const std::wstring& host) {
  if (host.empty() || host.size() >= kServerBufferChars) return false;
  for (wchar_t c : host) {
    const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
                    c == L'-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::wstring ReadFallbackHost() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    CRegistryKey key;
    if (!key.Open(root, kProductKeyPath, KEY_READ, false)) continue;
    const std::optional<std::wstring> host = key.ReadString(kFallbackHostValue);
    if (host && IsPlainHostName(*host)) return *host;
  }
  return kFallbackServer;
}

CUpdateService::~CUpdateService() = default;

std::wstring CUpdateService::TakeAnswer(wchar_t* answer) const {
  if (answer == nullptr) return {};
  std::wstring text(answer, wcsnlen(answer, kNetworkAnswerLimit));
  // Only the component may free what it allocated; without its release entry
  // the text is left to it rather than freed on the wrong heap.
  if (m_pReleaseAnswer != nullptr) m_pReleaseAnswer(answer);
  return text;
}

bool CUpdateService::Load(const std::wstring& folder) {
  m_nLoaded = 0;
  m_pReleaseAnswer = nullptr;
  m_pScanLookup = nullptr;
  m_pDriverLookup = nullptr;
  m_pSendFeedback = nullptr;
  m_hLibrary.reset(LoadLibraryExW((folder + kNetworkLibraryName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!m_hLibrary) return false;
  m_nLoaded = 1;
  const HMODULE module = m_hLibrary.get();
  m_pReleaseAnswer = EntryPoint<ReleaseAnswerFn>(module, kOrdinalReleaseAnswer);
  m_pScanLookup = EntryPoint<ScanLookupFn>(module, kOrdinalScanLookup);
  m_pDriverLookup = EntryPoint<DriverLookupFn>(module, kOrdinalDriverLookup);
  m_pSendFeedback = EntryPoint<SendFeedbackFn>(module, kOrdinalSendFeedback);
  for (std::size_t i = 0; i < std::size(kOtherNetworkOrdinals); ++i) {
    m_pOther[i] = GetProcAddress(module, MAKEINTRESOURCEA(kOtherNetworkOrdinals[i]));
  }
  return true;
}

bool CUpdateService::ScanLookup(wchar_t* server, const std::wstring& request, std::wstring& answer) const {
  if (m_pScanLookup == nullptr) return false;
  wchar_t* text = nullptr;
  const bool ok = m_pScanLookup(server, request.c_str(), &text) != FALSE;
  std::wstring taken = TakeAnswer(text);
  if (ok) answer = std::move(taken);
  return ok;
}

bool CUpdateService::DriverLookup(wchar_t* server, const std::wstring& hardware_id, const std::wstring& os_code,
                                  std::wstring& answer) const {
  if (m_pDriverLookup == nullptr) return false;
  wchar_t* text = nullptr;
  const bool ok = m_pDriverLookup(server, hardware_id.c_str(), os_code.c_str(), &text) != FALSE;
  std::wstring taken = TakeAnswer(text);
  if (ok) answer = std::move(taken);
  return ok;
}

bool CUpdateService::SendFeedback(const std::wstring& feedback) const {
  if (m_pSendFeedback == nullptr) return false;
  try {
    return m_pSendFeedback(feedback.c_str()) != FALSE;
  } catch (...) {
    return false;
  }
}

bool CUpdateService::CallWithFallback(const std::function<bool(wchar_t* server)>& call) {
  wchar_t server[kServerBufferChars] = {};
  const bool first = SafeCall(call, server);
  PauseWhilePumping(kPauseBetweenCalls);
  if (first) return true;
  const std::wstring fallback = ReadFallbackHost();
  wcsncpy(server, fallback.c_str(), kServerBufferChars - 1);
  server[kServerBufferChars - 1] = L'\0';
  return SafeCall(call, server);
}

bool CUpdateService::ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) const {
  return CallWithFallback([&](wchar_t* server) { return ScanLookup(server, request, answer); });
}

bool CUpdateService::DriverLookupWithFallback(const std::wstring& hardware_id, const std::wstring& os_code,
                                              std::wstring& answer) const {
  return CallWithFallback([&](wchar_t* server) { return DriverLookup(server, hardware_id, os_code, answer); });
}

}  // namespace velkor
