// libFuzzer entry: archives from the network and from backups, opened,
// listed and extracted to memory.

#include <cstdio>
#include <cstdlib>

#include "backup_fuzz_inputs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunZipReaderInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "zip_reader_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
