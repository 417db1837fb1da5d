#pragma once
// MD5 and SHA-256 as lower-case hexadecimal, the form the client compares with
// its own file MD5.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::service {

struct FileDigests {
  std::string md5;
  std::string sha256;
  std::uint64_t size = 0;
};

// Both digests of a file in one read; nullopt when it cannot be read.
std::optional<FileDigests> DigestFile(const std::filesystem::path& path);

std::string Sha256Hex(std::string_view bytes);

}  // namespace velkor::service
