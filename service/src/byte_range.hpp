#pragma once
// The Range header of a package download. Downloads resume with one range; a
// request for several ranges is answered with the whole file, which HTTP allows.

#include <cstdint>
#include <string_view>

namespace velkor::service {

struct ByteRange {
  enum class Kind { kWhole, kPart, kUnsatisfiable };
  Kind kind = Kind::kWhole;
  std::uint64_t first = 0;  // kPart: first byte
  std::uint64_t length = 0;  // kPart: byte count, never past the end
};

// header is the Range header's value (empty when there is none). A header that
// cannot be read is ignored (the whole file); a range that starts at or past the
// end is unsatisfiable; a range that runs past the end is cut at the end.
ByteRange ReadByteRange(std::string_view header, std::uint64_t size);

}  // namespace velkor::service
