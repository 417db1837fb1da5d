// libFuzzer entry: scan answers from the network, matched to a fixed device table.

#include <cstdio>
#include <cstdlib>

#include "lookup_fuzz_inputs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = velkor::fuzz::RunScanAnswerInput(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "scan_answer_fuzzer: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
