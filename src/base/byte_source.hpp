#pragma once
// Byte sources and sinks: the one interface through which the archive codec,
// the INF reader, the downloader and the backup read and write bytes, so that
// every format code runs over memory in tests and over files in the program.
// A source is random-access with a known size; a sink appends, and a seekable
// sink can also write again over bytes it already holds (archive headers are
// completed once their entry's sizes are known).

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace velkor {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly out.size() bytes starting at offset. False when the range
  // runs past the end or the read fails; out is then unspecified.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
  // Pushes out what is buffered; false when any write so far failed.
  virtual bool Flush() = 0;
};

class SeekableByteSink : public ByteSink {
 public:
  // Number of bytes written so far: the offset of the next Write.
  virtual std::uint64_t Position() const = 0;
  // Writes over bytes already written; the range must end at or before
  // Position(), which does not change.
  virtual bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
};

// A source over memory the caller keeps alive, or over bytes it shares.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  explicit MemoryByteSource(std::vector<std::uint8_t>&& owned)
      : MemoryByteSource(std::make_shared<const std::vector<std::uint8_t>>(std::move(owned))) {}
  explicit MemoryByteSource(std::shared_ptr<const std::vector<std::uint8_t>> shared)
      : owned_(std::move(shared)), bytes_(*owned_) {}

  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> owned_;
  std::span<const std::uint8_t> bytes_;
};

// A sink that collects the bytes in memory: its own, or a vector it shares.
class MemoryByteSink final : public SeekableByteSink {
 public:
  MemoryByteSink() : bytes_(std::make_shared<std::vector<std::uint8_t>>()) {}
  explicit MemoryByteSink(std::shared_ptr<std::vector<std::uint8_t>> target) : bytes_(std::move(target)) {}

  bool Write(std::span<const std::uint8_t> bytes) override;
  bool Flush() override { return true; }
  std::uint64_t Position() const override { return bytes_->size(); }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
  // Makes room for that many more bytes; a size beyond what memory can hold
  // is ignored (the writes then fail or succeed on their own).
  void Reserve(std::uint64_t more);

  const std::vector<std::uint8_t>& Bytes() const { return *bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(*bytes_); }

 private:
  std::shared_ptr<std::vector<std::uint8_t>> bytes_;
};

// A file opened for reading. Open fails (null) when the path names no regular
// file or cannot be opened; the size is the file's size at opening.
class FileByteSource final : public ByteSource {
 public:
  static std::unique_ptr<FileByteSource> Open(const std::wstring& path);

  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  FileByteSource(std::ifstream in, std::uint64_t size) : in_(std::move(in)), size_(size) {}

  std::ifstream in_;
  std::uint64_t size_;
};

// A file created anew (an existing file is replaced) for writing.
class FileByteSink final : public SeekableByteSink {
 public:
  static std::unique_ptr<FileByteSink> Create(const std::wstring& path);

  bool Write(std::span<const std::uint8_t> bytes) override;
  bool Flush() override;
  std::uint64_t Position() const override { return position_; }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;

 private:
  explicit FileByteSink(std::ofstream out) : out_(std::move(out)) {}
  bool Fail() {
    failed_ = true;
    return false;
  }

  std::ofstream out_;
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

}  // namespace velkor
