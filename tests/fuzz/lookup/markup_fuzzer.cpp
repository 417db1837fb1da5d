// libFuzzer entry: markup documents from the network, navigated and appended to.

#include <cstdio>
#include <cstdlib>

#include "lookup_fuzz_inputs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunMarkupInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "markup_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
