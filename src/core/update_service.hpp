#pragma once
// CUpdateService: the entry points of the network service component, loaded
// once at start-up from the program's folder.

#include <cstdint>
#include <functional>
#include <iterator>
#include <string>

#include "network_api.h"
#include "platform/unique_handle.hpp"

namespace velkor {

inline constexpr wchar_t kNetworkLibraryName[] = L"Network.dll";
// The host given to the component on the second try, when its own choice of
// service failed; the component keeps scheme, port and path and changes the host.
// The installer or an administrator may name another one in "FallbackHost".
inline constexpr const auto& kFallbackServer = kDefaultFallbackHost;
inline constexpr wchar_t kFallbackHostValue[] = L"FallbackHost";
// Ordinals the component may have beside the ones the program calls; taken at
// load, called by nobody.
inline constexpr WORD kOtherNetworkOrdinals[] = {3, 5, 6, 7};
// Longest answer text we take from the component (in characters).
inline constexpr std::size_t kNetworkAnswerLimit = 64u << 20;

class CUpdateService {
 public:
  CUpdateService() = default;
  virtual ~CUpdateService();
  CUpdateService(const CUpdateService&) = delete;
  CUpdateService& operator=(const CUpdateService&) = delete;

  // Loads Network.dll from `folder` (ending in a backslash) by its full path, so
  // that no other folder's copy is ever picked up. False when the library is
  // missing; showing that to the user is the caller's part.
  bool Load(const std::wstring& folder);
  bool IsLoaded() const { return m_nLoaded != 0; }

  // Single calls of the entry points; false when the entry point is missing or
  // the component reports failure. `server` is a buffer of kServerBufferChars.
  bool ScanLookup(wchar_t* server, const std::wstring& request, std::wstring& answer) const;
  bool DriverLookup(wchar_t* server, const std::wstring& hardware_id, const std::wstring& os_code,
                    std::wstring& answer) const;
  bool SendFeedback(const std::wstring& feedback) const;

  // Calls with an empty server text (the component's own choice), lets the
  // thread's windows breathe for a second, and on failure calls once more with
  // the fallback server. An exception from the component counts as failure.
  static bool CallWithFallback(const std::function<bool(wchar_t* server)>& call);
  bool ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) const;
  bool DriverLookupWithFallback(const std::wstring& hardware_id, const std::wstring& os_code,
                                std::wstring& answer) const;

  // 1 when the library was found.
  std::int32_t m_nLoaded = 0;

 private:
  // Copies an answer handed out by the component and gives it back for release.
  std::wstring TakeAnswer(wchar_t* answer) const;

  UniqueModule m_hLibrary;
  ReleaseAnswerFn m_pReleaseAnswer = nullptr;
  ScanLookupFn m_pScanLookup = nullptr;
  DriverLookupFn m_pDriverLookup = nullptr;
  SendFeedbackFn m_pSendFeedback = nullptr;
  FARPROC m_pOther[std::size(kOtherNetworkOrdinals)] = {};
};

// The fallback host: "FallbackHost" under the product key of HKEY_CURRENT_USER,
// else of HKEY_LOCAL_MACHINE, else kFallbackServer. A value that is not a plain
// host name is ignored.
std::wstring ReadFallbackHost();

}  // namespace velkor
