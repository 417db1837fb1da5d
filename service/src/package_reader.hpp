#pragma once
// Looks inside a driver package (ZIP, CAB, RAR, 7z, or a setup program that is a
// self-extracting one of those) with libarchive and returns its INF files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velkor::service {

// Limits on what is read from one package.
inline constexpr std::size_t kMaxInfBytes = 8 * 1024 * 1024;
inline constexpr std::size_t kMaxInfsPerPackage = 256;
inline constexpr std::size_t kMaxEntriesPerPackage = 100000;

struct PackageInf {
  std::string path;  // inside the package, "/"-separated, no "." or ".." parts
  std::vector<std::uint8_t> bytes;
};

struct PackageContents {
  bool isArchive = false;  // false: not an archive libarchive can read at all
  std::vector<PackageInf> infs;
};

// True on success. A package that is no archive is a success with isArchive
// false (a plain setup program); a damaged archive is a failure with the reason
// in error, and nothing of it is returned.
bool ReadPackage(const std::filesystem::path& path, PackageContents& contents, std::string& error);

// The archive's entry name as a clean relative path, or empty when it is
// absolute or climbs out of the archive.
std::string CleanEntryPath(std::string_view name);

}  // namespace velkor::service
