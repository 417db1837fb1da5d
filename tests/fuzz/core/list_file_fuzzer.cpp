// Feeds arbitrary bytes to the list-file reader. A list that reads whole must
// write back to bytes that read to the same list.
#include <cstdint>
#include <cstdlib>

#include "core/list_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velkor::StringMap list;
  if (velkor::DecodeListFile(std::span(data, size), list)) {
    velkor::StringMap again;
    if (!velkor::DecodeListFile(velkor::EncodeListFile(list), again) || again != list) std::abort();
  }
  return 0;
}
