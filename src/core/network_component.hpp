#pragma once
// The binary interface of the network service component, Network.dll, through
// which every exchange with the update service passes. The entry points are
// taken by ordinal; all use the WINAPI calling convention and return nonzero on
// success. Answers are BSTRs allocated by the component and freed by the caller
// with SysFreeString, so neither side depends on the other's heap.

#include <windows.h>
#include <oleauto.h>

namespace velkor::network {

inline constexpr wchar_t kLibraryName[] = L"Network.dll";

inline constexpr WORD kOrdinalDriverLookup = 2;
inline constexpr WORD kOrdinalScanLookup = 4;
inline constexpr WORD kOrdinalSendFeedback = 9;
// Further entry points the component has; the program takes them but calls none.
inline constexpr WORD kOtherOrdinals[] = {1, 3, 5, 6, 7};

// The server argument is a writable buffer of this many UTF-16 units. Empty:
// the component chooses its endpoint; otherwise the address to use.
inline constexpr std::size_t kServerBufferChars = 260;

// The address given on the second try, when the component's own choice failed.
inline constexpr wchar_t kFallbackServer[] = L"update2.velkor-brenn.com";

// request: the scan request document. answer: the answer document.
using ScanLookupFn = BOOL(WINAPI*)(wchar_t* server, const wchar_t* request, BSTR* answer);
// hardware_id: the update's server hardware ID; os_code: the OS version code in
// decimal. answer: "<download URL>|<MD5>".
using DriverLookupFn = BOOL(WINAPI*)(wchar_t* server, const wchar_t* hardware_id, const wchar_t* os_code,
                                     BSTR* answer);
// feedback: the feedback report document. Nonzero: the report was accepted.
using SendFeedbackFn = BOOL(WINAPI*)(const wchar_t* feedback);

}  // namespace velkor::network
