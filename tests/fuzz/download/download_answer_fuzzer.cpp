// libFuzzer entry: driver lookup answers and their download addresses from the network.

#include <cstdio>
#include <cstdlib>

#include "download_fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunDownloadAnswerInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "download_answer_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
