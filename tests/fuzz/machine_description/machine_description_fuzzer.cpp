// Machine descriptions are files anyone may edit: reading one must never
// crash, whatever its bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "machine_description.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const velkor::testmachine::DescriptionResult result = velkor::testmachine::ParseMachineDescription(text);
  if (!result.machine && result.error.empty()) __builtin_trap();
  return 0;
}
