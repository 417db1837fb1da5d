// A stand-in for Network.dll with the same ordinals and signatures
// (components/network/network_api.h). Its answers
// say what it was given, and the request text chooses how it behaves:
//   "fail-first"   fails while the server text is empty (the component's own choice)
//   "fail-always"  always fails
//   "throw-first"  throws while the server text is empty
// anything else succeeds.
#include <windows.h>
#include <cwchar>

#include <stdexcept>
#include <string>

namespace {

LONG g_calls = 0;

wchar_t* Answer(const std::wstring& text) {
  auto* copy = new wchar_t[text.size() + 1];
  wmemcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

extern "C" {

BOOL WINAPI ScanLookup(wchar_t* server, const wchar_t* request, wchar_t** answer) {
  InterlockedIncrement(&g_calls);
  const std::wstring req = request != nullptr ? request : L"";
  const bool first = server == nullptr || server[0] == L'\0';
  if (req == L"fail-always") return FALSE;
  if (req == L"fail-first" && first) return FALSE;
  if (req == L"throw-first" && first) throw std::runtime_error("component failure");
  *answer = Answer(L"server=" + std::wstring(server) + L";request=" + req);
  return TRUE;
}

BOOL WINAPI DriverLookup(wchar_t* server, const wchar_t* hardware_id, const wchar_t* os_code,
                                               wchar_t** answer) {
  InterlockedIncrement(&g_calls);
  if (server[0] == L'\0' && std::wstring(hardware_id) == L"fail-first") return FALSE;
  *answer = Answer(std::wstring(L"http://") + (server[0] ? server : L"default") + L"/" + hardware_id + L"/" +
                   os_code + L".zip|0123456789abcdef0123456789abcdef");
  return TRUE;
}

BOOL WINAPI SendFeedback(const wchar_t* feedback) {
  InterlockedIncrement(&g_calls);
  return feedback != nullptr && feedback[0] != L'\0';
}

LONG g_released = 0;

void WINAPI ReleaseAnswer(wchar_t* answer) {
  if (answer != nullptr) InterlockedIncrement(&g_released);
  delete[] answer;
}

// Test hooks on an ordinal the real component leaves free: calls made, and
// answers handed back (low and high 16 bits).
LONG WINAPI CallCount() { return g_calls | (g_released << 16); }
BOOL WINAPI Unused5() { return FALSE; }
BOOL WINAPI Unused6() { return FALSE; }
BOOL WINAPI Unused7() { return FALSE; }

}  // extern "C"
