#include "base/byte_stream.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ByteStream, WritesAndReadsLittleEndian) {
  ByteWriter writer;
  writer.PutU8(0xFF);
  writer.PutU16(0xFFFE);
  writer.PutU32(0x01020304);
  writer.PutU64(0x1122334455667788ull);
  const std::uint8_t tail[] = {9, 8};
  writer.PutBytes(tail);
  const std::vector<std::uint8_t> expected = {0xFF, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x88, 0x77,
                                              0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 9,    8};
  ASSERT_EQ(writer.Bytes(), expected);

  ByteReader reader(writer.Bytes());
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  std::uint32_t u32 = 0;
  std::uint64_t u64 = 0;
  std::span<const std::uint8_t> bytes;
  ASSERT_TRUE(reader.ReadU8(u8) && reader.ReadU16(u16) && reader.ReadU32(u32) && reader.ReadU64(u64));
  EXPECT_EQ(u8, 0xFF);
  EXPECT_EQ(u16, 0xFFFE);
  EXPECT_EQ(u32, 0x01020304u);
  EXPECT_EQ(u64, 0x1122334455667788ull);
  ASSERT_TRUE(reader.ReadBytes(2, bytes));
  EXPECT_EQ(bytes[0], 9);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteStream, ShortReadFailsWithoutMovingOrWriting) {
  const std::uint8_t data[] = {1, 2, 3};
  ByteReader reader(data);
  std::uint32_t u32 = 77;
  EXPECT_FALSE(reader.ReadU32(u32));
  EXPECT_EQ(u32, 77u);
  EXPECT_EQ(reader.Position(), 0u);
  std::span<const std::uint8_t> bytes;
  EXPECT_FALSE(reader.ReadBytes(4, bytes));
  EXPECT_FALSE(reader.ReadBytes(SIZE_MAX, bytes));
  EXPECT_FALSE(reader.Skip(SIZE_MAX));
  std::uint16_t u16 = 0;
  EXPECT_TRUE(reader.ReadU16(u16));
  EXPECT_EQ(u16, 0x0201);
  EXPECT_EQ(reader.Remaining(), 1u);
}

}  // namespace
}  // namespace velkor
