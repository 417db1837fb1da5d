#pragma once
// Reads a ZIP archive from a byte source: finds the end record from the end of
// the source (an archive may follow a program, as self-extracting setups do,
// and may carry a comment), reads the central directory (ZIP64 records
// included) with offsets relative to where the archive starts, checks every
// local header against it, and extracts entries with their sizes and CRC-32
// checked. Whatever the bytes, it never reads outside the source, never loops
// without end and bounds what it allocates.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backup/zip_archive.hpp"
#include "base/byte_source.hpp"

namespace velkor::zip {

struct ReaderEntry {
  std::wstring name;  // cleaned (CleanZipEntryName)
  bool directory = false;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localOffset = 0;  // in the source
  std::uint64_t dataOffset = 0;   // in the source
  std::uint32_t dosDateTime = 0;  // local time
  std::uint32_t attributes = 0;   // kArchivedAttributes bits
  FileTimes exactTimes;           // UTC, from the entry's extra fields; 0 where it has none
  // kZipOk, or why the entry cannot be extracted (kZipDamaged, kZipUnsupported,
  // kZipUnsafeName); the other entries are not affected.
  int problem = kZipOk;
};

class ZipReader {
 public:
  // The size of the pieces in which extracted data is written.
  static constexpr std::size_t kExtractChunk = 16384;

  ZipReader();
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Reads the directory of source, which must outlive the reader. kZipOk, or
  // why the source is not an archive this reader can use.
  int Open(ByteSource& source, const ZipReadLimits& limits);

  std::size_t Count() const { return entries_.size(); }
  const ReaderEntry& Entry(std::size_t index) const { return entries_[index]; }

  // Writes the entry's bytes to out. Fails with kZipBadData when the data does
  // not decode to exactly the entry's size, kZipBadCrc when its CRC differs;
  // out may then hold part of the data.
  int Extract(std::size_t index, ByteSink& out);

 private:
  struct Directory;
  class Inflater;
  int ReadDirectory(const Directory& directory, const ZipReadLimits& limits);
  void CheckLocalHeader(ReaderEntry& entry, std::uint64_t directoryStart);
  void MarkOverlaps();
  int CopyStored(const ReaderEntry& entry, ByteSink& out, std::uint32_t& crc);
  int Inflate(const ReaderEntry& entry, ByteSink& out, std::uint32_t& crc);

  ByteSource* source_ = nullptr;
  std::vector<ReaderEntry> entries_;
  std::unique_ptr<Inflater> inflater_;
  std::vector<std::uint8_t> input_;
  std::vector<std::uint8_t> output_;
};

}  // namespace velkor::zip
