// A saved inventory from anywhere: the reader must refuse or accept it without
// reading or writing outside the table, and what it accepts must write back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "inventory/inventory_json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velkor::RecordTable table(16);
  std::int32_t count = 0;
  std::wstring error;
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  if (velkor::ReadInventoryJson(document, table, count, error)) {
    if (count < 0 || static_cast<std::size_t>(count) > table.Capacity()) __builtin_trap();
    const std::string again = velkor::WriteInventoryJson(table, static_cast<std::size_t>(count));
    velkor::RecordTable back(16);
    std::int32_t backCount = 0;
    if (!velkor::ReadInventoryJson(again, back, backCount, error) || backCount != count) __builtin_trap();
  }
  return 0;
}
