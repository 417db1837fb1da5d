// Replays every kept fuzz input (seeds and inputs that once failed) through
// the fuzz targets' bodies, on Windows and natively.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "backup_fuzz_inputs.hpp"

namespace velkor::fuzz {
namespace {

struct KeptInput {
  const char* target;
  const char* name;
  std::vector<std::uint8_t> bytes;
};

const std::vector<KeptInput>& KeptInputs() {
  static const std::vector<KeptInput> inputs = {
#include "backup_fuzz_inputs.inc"
  };
  return inputs;
}

TEST(BackupFuzzRegressions, KeptInputsRunClean) {
  using Body = std::string (*)(const std::uint8_t*, std::size_t);
  const std::map<std::string, Body> bodies = {{"zip_reader_fuzzer", RunZipReaderInput},
                                             {"inf_reader_fuzzer", RunInfReaderInput},
                                             {"backup_index_fuzzer", RunBackupIndexInput}};
  std::map<std::string, int> replayed;
  for (const KeptInput& input : KeptInputs()) {
    const auto body = bodies.find(input.target);
    if (body == bodies.end()) continue;
    EXPECT_EQ(body->second(input.bytes.data(), input.bytes.size()), "") << input.target << "/" << input.name;
    ++replayed[input.target];
  }
  // The seeds are always there; none replayed means the inputs were not embedded.
  for (const auto& [target, body] : bodies) EXPECT_GT(replayed[target], 0) << target;
}

}  // namespace
}  // namespace velkor::fuzz
