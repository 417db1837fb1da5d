#pragma once
// The bodies of the update lookup's fuzz targets. Each runs one input and
// returns an empty text when every check held, else what went wrong. The
// libFuzzer entry points abort on a non-empty result; the unit tests replay the
// kept inputs through the same bodies on every platform.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkor::fuzz {

// Loads the input as a markup document (UTF-8, or UTF-16LE when the first byte
// is odd), then runs cursor and append operations chosen by the input's last
// bytes. A document that loaded must still load to the same elements and texts
// after the appends.
std::string RunMarkupInput(const std::uint8_t* data, std::size_t size);

// Reads the input as a scan answer against a fixed table of devices and checks
// the update table, the count and the update list.
std::string RunScanAnswerInput(const std::uint8_t* data, std::size_t size);

}  // namespace velkor::fuzz
