// Arbitrary bytes through both decoders; whatever decodes must encode and decode
// back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/utf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::wstring fromUtf8 = velkor::FromUtf8(bytes);
  if (velkor::FromUtf8(velkor::ToUtf8(fromUtf8)) != fromUtf8) std::abort();

  const std::wstring fromUtf16 = velkor::FromUtf16Le(bytes);
  if (velkor::FromUtf16Le(velkor::ToUtf16Le(fromUtf16)) != fromUtf16) std::abort();
  // Valid UTF-8 input comes back byte for byte.
  if (velkor::ToUtf8(fromUtf8).size() == size && velkor::ToUtf8(fromUtf8) != bytes &&
      fromUtf8.find(static_cast<wchar_t>(0xFFFD)) == std::wstring::npos) {
    std::abort();
  }
  return 0;
}
