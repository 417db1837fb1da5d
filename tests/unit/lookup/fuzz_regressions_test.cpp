// Replays every kept fuzz input (seeds and inputs that once failed) through the
// fuzz targets' bodies, on Windows and natively.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lookup_fuzz_inputs.hpp"

namespace velkor::fuzz {
namespace {

struct KeptInput {
  const char* target;
  const char* name;
  std::vector<std::uint8_t> bytes;
};

const std::vector<KeptInput>& KeptInputs() {
  static const std::vector<KeptInput> inputs = {
#include "fuzz_inputs.inc"
  };
  return inputs;
}

TEST(FuzzRegressions, KeptInputsRunClean) {
  int markup = 0;
  int answers = 0;
  for (const KeptInput& input : KeptInputs()) {
    const std::string target = input.target;
    std::string problem;
    if (target == "markup_fuzzer") {
      problem = RunMarkupInput(input.bytes.data(), input.bytes.size());
      ++markup;
    } else if (target == "scan_answer_fuzzer") {
      problem = RunScanAnswerInput(input.bytes.data(), input.bytes.size());
      ++answers;
    } else {
      continue;
    }
    EXPECT_EQ(problem, "") << input.target << "/" << input.name;
  }
  // The seeds are always there; an empty list means the inputs were not embedded.
  EXPECT_GT(markup, 0);
  EXPECT_GT(answers, 0);
}

}  // namespace
}  // namespace velkor::fuzz
