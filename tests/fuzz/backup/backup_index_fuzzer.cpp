// libFuzzer entry: backup indexes, read back from archives that may come from
// anywhere.

#include <cstdio>
#include <cstdlib>

#include "backup_fuzz_inputs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunBackupIndexInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "backup_index_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
