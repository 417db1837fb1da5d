// libFuzzer entry: INF files of installed drivers, read line by line and
// scanned for the driver's files.

#include <cstdio>
#include <cstdlib>

#include "backup_fuzz_inputs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunInfReaderInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "inf_reader_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
