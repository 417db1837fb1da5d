// The one helper of the compiler's COM support library that the UnRAR sources
// call (through _bstr_t in their system version check): mingw-w64 declares it
// in <comutil.h> but ships no library with its body.
#include <windows.h>
#include <oleauto.h>

#include <comutil.h>

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* text) {
  if (text == nullptr) return nullptr;
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  BSTR out = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
  if (out == nullptr) return nullptr;
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, out, length);
  return out;
}

}  // namespace _com_util
