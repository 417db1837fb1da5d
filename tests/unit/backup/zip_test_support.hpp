#pragma once
// Small helpers of the archive tests: byte blocks, archives built in memory,
// and the raw bytes of the records the tests damage on purpose.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "backup/memory_file_system.hpp"
#include "backup/zip_archive.hpp"

namespace velkor::test {

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Bytes that do not compress.
inline std::vector<std::uint8_t> NoiseBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

// Text-like bytes that compress well, as INF files and logs do.
inline std::vector<std::uint8_t> TextBytes(std::size_t size) {
  static const std::string kLine = "HKR,,DriverVersion,,\"6.14.10.9371\" ; a line of an INF file\r\n";
  std::vector<std::uint8_t> bytes;
  bytes.reserve(size);
  for (std::size_t i = 0; bytes.size() < size; ++i) bytes.push_back(static_cast<std::uint8_t>(kLine[i % kLine.size()]));
  return bytes;
}

// 2021-06-15 12:34:56 UTC in file ticks.
inline constexpr std::uint64_t kSomeTime = 132682340960000000ull;

// Writes an archive at path with (entry name, source path) pairs whose
// sources the file system already holds; fails the test on any error.
inline std::vector<std::uint8_t> WriteArchive(MemoryFileSystem& files, const std::wstring& path,
                                              const std::vector<std::pair<std::wstring, std::wstring>>& entries,
                                              const ZipWriteOptions& options = {}) {
  ZipHandle zip = ZipCreate(files, path, options);
  if (!zip) return {};
  for (const auto& [name, source] : entries) {
    if (ZipAddFile(zip, source, name) != kZipOk) return {};
  }
  if (ZipClose(zip) != kZipOk) return {};
  return *files.Find(path)->bytes;
}

inline std::uint16_t GetU16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t GetU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return GetU16(b, at) | (static_cast<std::uint32_t>(GetU16(b, at + 2)) << 16);
}
inline void SetU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void SetU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  SetU16(b, at, static_cast<std::uint16_t>(v));
  SetU16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// Where the records of a plain archive (no comment, no ZIP64) start.
struct ArchiveLayout {
  std::size_t endRecord = 0;
  std::size_t directory = 0;
  std::vector<std::size_t> centralHeaders;
  std::vector<std::size_t> localHeaders;
};

inline ArchiveLayout LayoutOf(const std::vector<std::uint8_t>& archive) {
  ArchiveLayout layout;
  layout.endRecord = archive.size() - 22;
  layout.directory = GetU32(archive, layout.endRecord + 16);
  std::size_t at = layout.directory;
  for (std::uint16_t i = 0; i < GetU16(archive, layout.endRecord + 10); ++i) {
    layout.centralHeaders.push_back(at);
    layout.localHeaders.push_back(GetU32(archive, at + 42));
    at += 46 + GetU16(archive, at + 28) + GetU16(archive, at + 30) + GetU16(archive, at + 32);
  }
  return layout;
}

}  // namespace velkor::test
