#include "base/byte_source.hpp"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace velkor {
namespace fs = std::filesystem;

namespace {

// Offsets and lengths arrive as 64-bit numbers; a stream position is signed.
bool FitsStreamOffset(std::uint64_t offset, std::size_t length) {
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max());
  return offset <= kMax && length <= kMax - offset;
}

}  // namespace

bool MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
  if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

bool MemoryByteSink::Write(std::span<const std::uint8_t> bytes) {
  bytes_->insert(bytes_->end(), bytes.begin(), bytes.end());
  return true;
}

bool MemoryByteSink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset > bytes_->size() || bytes.size() > bytes_->size() - offset) return false;
  std::copy(bytes.begin(), bytes.end(), bytes_->begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

void MemoryByteSink::Reserve(std::uint64_t more) {
  if (more > bytes_->max_size() - bytes_->size() || more > (std::uint64_t{1} << 32)) return;
  bytes_->reserve(bytes_->size() + static_cast<std::size_t>(more));
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::wstring& path) {
  try {
    const fs::path p(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return nullptr;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) return nullptr;
    std::ifstream in(p, std::ios::binary);
    if (!in) return nullptr;
    return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(in), size));
  } catch (...) {
    return nullptr;
  }
}

bool FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > size_ || out.size() > size_ - offset) return false;
  if (out.empty()) return true;
  if (!FitsStreamOffset(offset, out.size())) return false;
  in_.clear();
  if (!in_.seekg(static_cast<std::streamoff>(offset))) return false;
  in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<std::size_t>(in_.gcount()) == out.size();
}

std::unique_ptr<FileByteSink> FileByteSink::Create(const std::wstring& path) {
  try {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    if (!out) return nullptr;
    return std::unique_ptr<FileByteSink>(new FileByteSink(std::move(out)));
  } catch (...) {
    return nullptr;
  }
}

bool FileByteSink::Write(std::span<const std::uint8_t> bytes) {
  if (failed_) return false;
  if (bytes.empty()) return true;
  if (!FitsStreamOffset(position_, bytes.size())) return Fail();
  out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out_) return Fail();
  position_ += bytes.size();
  return true;
}

bool FileByteSink::Flush() {
  if (failed_) return false;
  out_.flush();
  if (!out_) failed_ = true;
  return !failed_;
}

bool FileByteSink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (failed_) return false;
  if (offset > position_ || bytes.size() > position_ - offset) return false;
  if (bytes.empty()) return true;
  if (!out_.seekp(static_cast<std::streamoff>(offset))) return Fail();
  out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out_.seekp(static_cast<std::streamoff>(position_))) return Fail();
  if (!out_) return Fail();
  return true;
}

}  // namespace velkor
