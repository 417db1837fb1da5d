// Feeds arbitrary bytes to the interface text file reader and editor.
#include <cstdint>

#include "core/text_file_format.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velkor::ProfileDocument doc = velkor::ProfileDocument::Parse(std::span(data, size));
  (void)doc.KeyNames(velkor::kTextSection);
  (void)doc.Value(velkor::kTextSection, L"IDS_APP_NAME");
  if (doc.SetValue(velkor::kTextSection, L"IDS_MOUSE", L"\"x\"")) {
    const auto bytes = doc.Serialize();
    (void)velkor::ProfileDocument::Parse(bytes).Value(velkor::kTextSection, L"IDS_MOUSE");
  }
  return 0;
}
