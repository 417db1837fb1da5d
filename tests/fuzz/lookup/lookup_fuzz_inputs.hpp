#pragma once
// The bodies of the update lookup's fuzz targets. Each runs one input and
// returns an empty text when every check held, else what went wrong. The
// libFuzzer entry points abort on a non-empty result; the unit tests replay the
// kept inputs through the same bodies on every platform.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkor::fuzz {

// The first byte chooses: with bit 1 clear, the rest is a received document
// (UTF-8, or UTF-16LE when bit 0 is set) that is loaded, then navigated and
// appended to by operations chosen by its last bytes; with bit 1 set, the rest
// is a script of appends and cursor moves that builds a document, which must
// load back to exactly what was appended.
std::string RunMarkupInput(const std::uint8_t* data, std::size_t size);

// Reads the input as a scan answer against a fixed table of devices and checks
// the update table, the count and the update list.
std::string RunScanAnswerInput(const std::uint8_t* data, std::size_t size);

}  // namespace velkor::fuzz
