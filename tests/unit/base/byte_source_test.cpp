#include "base/byte_source.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace velkor {
namespace {

std::vector<std::uint8_t> Read(ByteSource& source, std::uint64_t offset, std::size_t count, bool* ok = nullptr) {
  std::vector<std::uint8_t> out(count);
  const bool read = source.ReadAt(offset, out);
  if (ok) *ok = read;
  return out;
}

TEST(ByteSource, MemoryReadsAreExactAndBounded) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5};
  MemoryByteSource source{std::span<const std::uint8_t>(bytes)};
  EXPECT_EQ(source.Size(), 5u);
  EXPECT_EQ(Read(source, 1, 3), (std::vector<std::uint8_t>{2, 3, 4}));
  bool ok = true;
  Read(source, 3, 3, &ok);
  EXPECT_FALSE(ok);
  Read(source, UINT64_MAX, 1, &ok);
  EXPECT_FALSE(ok);
  Read(source, 5, 0, &ok);
  EXPECT_TRUE(ok);
}

TEST(ByteSource, SinksWriteOverOnlyWhatTheyHold) {
  MemoryByteSink sink;
  const std::uint8_t abc[] = {'a', 'b', 'c'};
  const std::uint8_t xy[] = {'x', 'y'};
  ASSERT_TRUE(sink.Write(abc));
  EXPECT_TRUE(sink.WriteAt(1, xy));
  EXPECT_FALSE(sink.WriteAt(2, xy));  // would run past what was written
  EXPECT_EQ(sink.Position(), 3u);
  EXPECT_EQ(sink.Bytes(), (std::vector<std::uint8_t>{'a', 'x', 'y'}));

  const std::filesystem::path path = std::filesystem::temp_directory_path() / "velkor-byte-sink-test.bin";
  {
    auto file = FileByteSink::Create(path.wstring());
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write(abc));
    ASSERT_TRUE(file->Write(abc));
    EXPECT_TRUE(file->WriteAt(2, xy));
    EXPECT_FALSE(file->WriteAt(5, xy));
    EXPECT_EQ(file->Position(), 6u);
    ASSERT_TRUE(file->Write(xy));  // appends after the write-over
    EXPECT_TRUE(file->Flush());
  }
  auto source = FileByteSource::Open(path.wstring());
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Size(), 8u);
  EXPECT_EQ(Read(*source, 0, 8), (std::vector<std::uint8_t>{'a', 'b', 'x', 'y', 'b', 'c', 'x', 'y'}));
  bool ok = true;
  Read(*source, 7, 2, &ok);
  EXPECT_FALSE(ok);
  source.reset();
  std::filesystem::remove(path);

  EXPECT_FALSE(FileByteSource::Open((std::filesystem::temp_directory_path() / "velkor-missing.bin").wstring()));
  EXPECT_FALSE(FileByteSource::Open(std::filesystem::temp_directory_path().wstring()));
  EXPECT_FALSE(FileByteSink::Create((std::filesystem::temp_directory_path() / "no-such-folder" / "x").wstring()));
}

}  // namespace
}  // namespace velkor
