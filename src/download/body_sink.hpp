#pragma once
// Where a transfer writes the body it receives, piece by piece.

#include <cstdint>
#include <span>

namespace velkor {

class BodySink {
 public:
  virtual ~BodySink() = default;
  // Appends the bytes; false when they could not all be written.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
  // The operating system's error of the last failed write (0 when none).
  virtual std::uint32_t LastError() const = 0;
};

}  // namespace velkor
