#include <set>

#include "backup/memory_file_system.hpp"
#include "backup/zip_archive.hpp"
#include "backup/zip_entry_name.hpp"
#include "backup_fuzz_inputs.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"

namespace velkor::fuzz {

std::string RunZipReaderInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring archive = L"C:\\in\\t.zip";
  const std::wstring base = L"C:\\out\\";
  MemoryFileSystem files;
  files.AddFile(archive, std::vector<std::uint8_t>(data, data + size));
  files.AddFolder(L"C:\\out");
  ZipReadLimits limits;  // small enough for the fuzzer's memory limit
  limits.maxTotalBytes = 64 << 20;
  limits.maxEntries = 4096;
  ZipHandle zip = ZipOpen(files, archive, limits);
  if (!zip) return {};

  ZipEntry count;
  if (ZipGetEntry(zip, -1, count) != kZipOk) return "no count";
  std::set<std::wstring> extracted;  // names of entries that extracted, without letter case
  for (int i = 0; i < count.index; ++i) {
    ZipEntry entry;
    const int listed = ZipGetEntry(zip, i, entry);
    if (CleanZipEntryName(entry.name) != entry.name) return "listed name not clean: " + ToUtf8(entry.name);
    if (ZipSetBaseFolder(zip, base) != kZipOk) return "base folder refused";
    const int code = ZipExtractEntry(zip, i, entry.name);
    if (listed != kZipOk && code != listed) return "listing and extraction disagree";
    if (code == kZipOk) extracted.insert(AsciiToLower(entry.name));
  }
  for (const MemoryFileSystem::Node* node : files.Nodes()) {
    if (node->path == archive || node->path == L"C:\\in" || node->path == L"C:\\out") continue;
    if (node->path.rfind(base, 0) != 0) return "written outside the folder: " + ToUtf8(node->path);
    const std::wstring relative = node->path.substr(base.size());
    if (!IsSafeZipEntryName(relative)) return "unsafe name written: " + ToUtf8(relative);
    // Every file comes from an entry that extracted: a failed one leaves none.
    if (node->kind == PathKind::File && extracted.count(AsciiToLower(relative)) == 0) {
      return "file of a failed entry left: " + ToUtf8(relative);
    }
  }
  return {};
}

}  // namespace velkor::fuzz
