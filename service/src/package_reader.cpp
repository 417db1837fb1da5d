#include "package_reader.hpp"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

#include "base/text.hpp"
#include "base/utf.hpp"

namespace velkor::service {
namespace {

struct ArchiveCloser {
  void operator()(archive* a) const { archive_read_free(a); }
};
using ArchiveReader = std::unique_ptr<archive, ArchiveCloser>;

bool EndsWithInf(const std::string& path) {
  return path.size() > 4 && AsciiToLower(FromUtf8(path.substr(path.size() - 4))) == L".inf";
}

}  // namespace

std::string CleanEntryPath(std::string_view name) {
  std::string unified(name);
  for (char& c : unified) {
    if (c == '\\') c = '/';
  }
  if (unified.empty() || unified[0] == '/') return {};
  std::string clean;
  std::size_t start = 0;
  while (start <= unified.size()) {
    std::size_t end = unified.find('/', start);
    if (end == std::string::npos) end = unified.size();
    const std::string part = unified.substr(start, end - start);
    if (part == "..") return {};
    if (!part.empty() && part != ".") {
      // A drive letter ("c:") would make the path absolute on Windows.
      if (part.find(':') != std::string::npos) return {};
      if (!clean.empty()) clean += '/';
      clean += part;
    }
    start = end + 1;
  }
  return clean;
}

bool ReadPackage(const std::filesystem::path& path, PackageContents& contents, std::string& error) {
  ArchiveReader reader(archive_read_new());
  if (!reader) {
    error = "out of memory";
    return false;
  }
  archive_read_support_format_zip(reader.get());
  archive_read_support_format_cab(reader.get());
  archive_read_support_format_rar(reader.get());
  archive_read_support_format_rar5(reader.get());
  archive_read_support_format_7zip(reader.get());
  if (archive_read_open_filename(reader.get(), path.c_str(), 1 << 16) != ARCHIVE_OK) {
    // Not recognised as any archive: a setup program that unpacks itself in a
    // way of its own, or not a package at all. The caller decides.
    contents = PackageContents{};
    return true;
  }
  PackageContents found;
  found.isArchive = true;
  archive_entry* entry = nullptr;
  std::size_t entries = 0;
  for (;;) {
    const int result = archive_read_next_header(reader.get(), &entry);
    if (result == ARCHIVE_EOF) break;
    if (result != ARCHIVE_OK && result != ARCHIVE_WARN) {
      error = std::string("damaged archive: ") + archive_error_string(reader.get());
      return false;
    }
    if (++entries > kMaxEntriesPerPackage) {
      error = "too many entries";
      return false;
    }
    if (archive_entry_filetype(entry) != AE_IFREG) continue;
    const char* rawName = archive_entry_pathname_utf8(entry);
    if (rawName == nullptr) rawName = archive_entry_pathname(entry);
    if (rawName == nullptr) continue;
    const std::string name = CleanEntryPath(rawName);
    if (name.empty() || !EndsWithInf(name)) continue;
    if (found.infs.size() == kMaxInfsPerPackage) {
      error = "too many INF files";
      return false;
    }
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > static_cast<la_int64_t>(kMaxInfBytes)) {
      error = "INF file too large: " + name;
      return false;
    }
    PackageInf inf{name, {}};
    std::uint8_t buffer[1 << 14];
    for (;;) {
      const la_ssize_t got = archive_read_data(reader.get(), buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        error = std::string("damaged entry ") + name + ": " + archive_error_string(reader.get());
        return false;
      }
      if (inf.bytes.size() + static_cast<std::size_t>(got) > kMaxInfBytes) {
        error = "INF file too large: " + name;
        return false;
      }
      inf.bytes.insert(inf.bytes.end(), buffer, buffer + got);
    }
    found.infs.push_back(std::move(inf));
  }
  contents = std::move(found);
  return true;
}

}  // namespace velkor::service
