#pragma once
// MD5 message digest (RFC 1321). The update service names every driver package
// by its MD5 value, so a downloaded package is trusted only when its digest,
// written as 32 lower-case hexadecimal digits, equals the service's value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velkor {

class Md5 {
 public:
  using Digest = std::array<std::uint8_t, 16>;

  Md5();
  // Feeds bytes; may be called any number of times before Finish.
  void Update(std::span<const std::uint8_t> bytes);
  // Pads, returns the digest and leaves the object ready for a new message.
  Digest Finish();

 private:
  void Block(const std::uint8_t* block);
  void Reset();

  std::array<std::uint32_t, 4> state_{};
  std::array<std::uint8_t, 64> buffer_{};
  std::uint64_t length_ = 0;  // bytes fed so far
};

// The digest as 32 lower-case hexadecimal digits.
std::wstring Md5Hex(const Md5::Digest& digest);

// Digest of a whole byte block, in hexadecimal.
std::wstring Md5OfBytes(std::span<const std::uint8_t> bytes);

}  // namespace velkor
