// Any bytes as a downloaded version file: split into signed lines and
// signature, and the values read from the signed lines. What splits must be
// the signed lines followed by exactly the signature's two lines.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/byte_text.hpp"
#include "base/signed_version_file.hpp"
#include "maintenance/version_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const std::optional<velkor::SignedVersionFile> split = velkor::SplitSignedVersionFile(file);
  const velkor::VersionFileFields fields = velkor::ReadVersionFields(split ? split->signedLines : file);
  (void)velkor::IsNewerVersionText(L"2.1.0.0", fields.version);
  if (split) {
    const std::string rebuilt = velkor::AppendVersionFileSignature(
        split->signedLines, split->signature.keyId, velkor::Base64Encode(split->signature.signature));
    if (rebuilt != file) std::abort();
  }
  return 0;
}
