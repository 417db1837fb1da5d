#pragma once
// The saved inventory: the device table as a JSON document (UTF-8), written by
// `velkorctl inventory --json` and read back by the commands that work from a
// saved inventory instead of a fresh scan.
//
// One array, one object per listed device in device-number order. Each object
// has "number" and every field of the record under its own name; texts are
// strings (an absent text is ""), the three integers are numbers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "inventory/device_record.hpp"

namespace velkor {

// Devices [0, count) of the table; count is clamped to the table's capacity.
std::string WriteInventoryJson(const RecordTable& table, std::size_t count);

// Largest document and longest text the reader accepts: a saved inventory of a
// full table is far below both.
inline constexpr std::size_t kMaxInventoryJsonBytes = 32u * 1024u * 1024u;
inline constexpr std::size_t kMaxInventoryTextLength = 32768;

// Reads a saved inventory into table (slots [0, count) are replaced, the others
// emptied) and sets count. The numbers must run 0, 1, 2... in order and stay
// below the table's capacity; a missing text field reads as "", an unknown key
// is ignored. On failure the table and count are left as they were and error
// says what is wrong, in English, for the user.
bool ReadInventoryJson(std::string_view document, RecordTable& table, std::int32_t& count,
                       std::wstring& error);

}  // namespace velkor
