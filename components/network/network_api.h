#pragma once
// The entry points of Network.dll, taken by ordinal. Every text is UTF-16; the
// server argument is a writable buffer of 260 characters: empty to use the
// configured service, or the host name of the fallback server. Answers are
// allocated by the component and handed back with ordinal 1.

#include <windows.h>

extern "C" {

// Ordinal 1: releases an answer text handed out by ordinal 2 or 4.
typedef void(WINAPI* ReleaseAnswerFn)(wchar_t* answer);
// Ordinal 2: download address and MD5 of a package, "URL|MD5".
typedef BOOL(WINAPI* DriverLookupFn)(wchar_t* server, const wchar_t* hardwareId,
                                     const wchar_t* osCode, wchar_t** answer);
// Ordinal 4: the scan request document in, the answer document out.
typedef BOOL(WINAPI* ScanLookupFn)(wchar_t* server, const wchar_t* request, wchar_t** answer);
// Ordinal 9: a feedback report; nonzero when the service stored it.
typedef BOOL(WINAPI* SendFeedbackFn)(const wchar_t* document);

}

enum NetworkOrdinal : WORD {
  kOrdinalReleaseAnswer = 1,
  kOrdinalDriverLookup = 2,
  kOrdinalScanLookup = 4,
  kOrdinalSendFeedback = 9,
};

// Length of the server buffer in characters, terminator included.
inline constexpr size_t kServerBufferChars = 260;

// The fallback host the program passes when "FallbackHost" names none; the
// component keeps the scheme, port and path of its configured service. An
// elevated component falls back to the machine's choice, or to this one.
inline constexpr wchar_t kDefaultFallbackHost[] = L"update2.velkor-brenn.com";
