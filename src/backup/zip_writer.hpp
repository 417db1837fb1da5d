#pragma once
// Writes a ZIP archive into a seekable sink, entry by entry: each local header
// is completed (CRC-32 and sizes) once its data is written, so the archive
// needs no data descriptors. ZIP64 records are written where sizes, offsets or
// the entry count need them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backup/zip_archive.hpp"
#include "base/byte_source.hpp"

namespace velkor::zip {

// What an entry carries besides its data.
struct EntryStamp {
  std::uint32_t dosDateTime = 0;  // local time, as DosDateTimeFromTicks gives it
  FileTimes times;                // UTC; the known ones go into the "UT" field
  std::uint32_t attributes = 0;
};

class ZipWriter {
 public:
  ZipWriter(SeekableByteSink& sink, const ZipWriteOptions& options);
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds the whole of data under storedName (UTF-8, slashes), deflated unless
  // store is set. On failure the entry is left out of the directory.
  int Add(const std::string& storedName, ByteSource& data, const EntryStamp& stamp, bool store);
  // Writes the central directory and the end records and flushes the sink.
  // Nothing can be added afterwards.
  int Finish();

 private:
  struct Written {
    std::string name;
    std::uint16_t flags;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint64_t compressedSize;
    std::uint64_t uncompressedSize;
    std::uint64_t localOffset;
    EntryStamp stamp;
  };

  int CopyData(ByteSource& data, bool store, std::uint32_t& crc, std::uint64_t& compressedSize);
  bool NeedsZip64(std::uint64_t value) const { return value >= options_.zip64Threshold; }

  class Deflater;

  SeekableByteSink& sink_;
  ZipWriteOptions options_;
  std::vector<Written> entries_;
  std::unique_ptr<Deflater> deflater_;
  std::vector<std::uint8_t> input_;
  std::vector<std::uint8_t> output_;
  bool finished_ = false;
  bool broken_ = false;  // a write failed: the sink's content can no longer be trusted
};

}  // namespace velkor::zip
