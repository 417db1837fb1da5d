// Answer signature headers and the texts under them (base64, PEM) from
// arbitrary bytes. Base64 is read only in its canonical form, so whatever
// decodes must encode back to exactly the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/byte_text.hpp"
#include "base/pem.hpp"
#include "base/signed_content.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const auto bytes = velkor::Base64Decode(text, 4096)) {
    if (bytes->size() > 4096 || velkor::Base64Encode(*bytes) != text) std::abort();
  }

  const std::size_t split = text.find('\n');
  const std::string_view keyId = text.substr(0, split);
  const std::string_view signature = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
  if (const auto read = velkor::ReadAnswerSignature(keyId, signature)) {
    if (read->keyId.size() != 16 || read->signature.empty() || read->signature.size() > velkor::kMaxSignatureBytes) {
      std::abort();
    }
  }

  if (const auto blocks = velkor::ReadPemBlocks(text, "PUBLIC KEY")) {
    for (const auto& block : *blocks) {
      if (block.size() > 64 * 1024) std::abort();
    }
  }
  return 0;
}
