#pragma once
// The body of the download answer's fuzz target: one input read as the
// update service's driver lookup answer and its address. Returns an empty text
// when every check held, else what went wrong. The libFuzzer entry aborts on a
// non-empty result; the unit tests run the same body.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkor::fuzz {

// The bytes are UTF-16LE code units of an answer "URL|MD5".
std::string RunDownloadAnswerInput(const std::uint8_t* data, std::size_t size);

}  // namespace velkor::fuzz
