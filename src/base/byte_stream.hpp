#pragma once
// Little-endian binary reading and writing over memory, for the program's file
// formats. Every read is bounds-checked: a read past the end fails, leaves the
// position where it was and does not touch its output.

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace velkor {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ReadU8(std::uint8_t& value);
  bool ReadU16(std::uint16_t& value);
  bool ReadU32(std::uint32_t& value);
  bool ReadU64(std::uint64_t& value);
  // A view of the next count bytes, valid as long as the underlying memory.
  bool ReadBytes(std::size_t count, std::span<const std::uint8_t>& out);
  bool Skip(std::size_t count);

  std::size_t Position() const { return position_; }
  std::size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  bool ReadLittleEndian(std::size_t width, std::uint64_t& value);

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

class ByteWriter {
 public:
  void PutU8(std::uint8_t value);
  void PutU16(std::uint16_t value);
  void PutU32(std::uint32_t value);
  void PutU64(std::uint64_t value);
  void PutBytes(std::span<const std::uint8_t> bytes);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  void PutLittleEndian(std::size_t width, std::uint64_t value);

  std::vector<std::uint8_t> bytes_;
};

}  // namespace velkor
