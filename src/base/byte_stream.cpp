#include "base/byte_stream.hpp"

namespace velkor {

bool ByteReader::ReadLittleEndian(std::size_t width, std::uint64_t& value) {
  if (Remaining() < width) return false;
  std::uint64_t result = 0;
  for (std::size_t i = 0; i < width; ++i) {
    result |= static_cast<std::uint64_t>(bytes_[position_ + i]) << (8 * i);
  }
  position_ += width;
  value = result;
  return true;
}

bool ByteReader::ReadU8(std::uint8_t& value) {
  std::uint64_t v;
  if (!ReadLittleEndian(1, v)) return false;
  value = static_cast<std::uint8_t>(v);
  return true;
}

bool ByteReader::ReadU16(std::uint16_t& value) {
  std::uint64_t v;
  if (!ReadLittleEndian(2, v)) return false;
  value = static_cast<std::uint16_t>(v);
  return true;
}

bool ByteReader::ReadU32(std::uint32_t& value) {
  std::uint64_t v;
  if (!ReadLittleEndian(4, v)) return false;
  value = static_cast<std::uint32_t>(v);
  return true;
}

bool ByteReader::ReadU64(std::uint64_t& value) { return ReadLittleEndian(8, value); }

bool ByteReader::ReadBytes(std::size_t count, std::span<const std::uint8_t>& out) {
  if (Remaining() < count) return false;
  out = bytes_.subspan(position_, count);
  position_ += count;
  return true;
}

bool ByteReader::Skip(std::size_t count) {
  if (Remaining() < count) return false;
  position_ += count;
  return true;
}

void ByteWriter::PutLittleEndian(std::size_t width, std::uint64_t value) {
  for (std::size_t i = 0; i < width; ++i) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void ByteWriter::PutU8(std::uint8_t value) { bytes_.push_back(value); }
void ByteWriter::PutU16(std::uint16_t value) { PutLittleEndian(2, value); }
void ByteWriter::PutU32(std::uint32_t value) { PutLittleEndian(4, value); }
void ByteWriter::PutU64(std::uint64_t value) { PutLittleEndian(8, value); }

void ByteWriter::PutBytes(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

}  // namespace velkor
