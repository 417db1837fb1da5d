// Drives the archive layer from the command line, so that a script can check
// it against Info-ZIP, Python's zipfile and 7-Zip on real files.
//   ziptool create ARCHIVE FOLDER [ZIP64_THRESHOLD]  every file below FOLDER
//   ziptool add ARCHIVE SOURCE NAME [SOURCE NAME...] files under given names
//   ziptool list ARCHIVE        index, code, size, compressed size, attributes,
//                               modification time (Unix seconds), name
//   ziptool extract ARCHIVE FOLDER     every entry; prints each failing code
// Output is UTF-8. Exit codes: 0 done, 1 a file or entry failed (or the
// archive did not open), 2 usage.

#include <cstdio>
#include <string>

#include "backup/zip_archive.hpp"
#include "backup/zip_file_system_win.hpp"
#include "base/utf.hpp"

namespace {

using namespace velkor;

void Print(const std::wstring& text) { std::fputs(ToUtf8(text).c_str(), stdout); }

int Usage() {
  std::fputs("usage: ziptool create|add|list|extract ARCHIVE ...\n", stderr);
  return 2;
}

int Create(const std::wstring& archive, const std::wstring& folder, const wchar_t* threshold) {
  ZipWriteOptions options;
  if (threshold) options.zip64Threshold = std::stoull(threshold);
  ZipHandle zip = ZipCreate(ProcessZipFileSystem(), archive, options);
  if (!zip) return 1;
  const int added = ZipAddFolder(zip, folder);
  const int closed = ZipClose(zip);
  Print(L"add " + std::to_wstring(added) + L" close " + std::to_wstring(closed) + L"\n");
  return added == kZipOk && closed == kZipOk ? 0 : 1;
}

int Add(const std::wstring& archive, int count, wchar_t** pairs) {
  ZipHandle zip = ZipCreate(archive);
  if (!zip) return 1;
  int status = 0;
  for (int i = 0; i + 1 < count; i += 2) {
    if (const int code = ZipAddFile(zip, pairs[i], pairs[i + 1]); code != kZipOk) {
      Print(std::wstring(pairs[i + 1]) + L": " + std::to_wstring(code) + L"\n");
      status = 1;
    }
  }
  return ZipClose(zip) == kZipOk ? status : 1;
}

int List(const std::wstring& archive) {
  ZipHandle zip = ZipOpen(archive);
  if (!zip) return 1;
  ZipEntry count;
  ZipGetEntry(zip, -1, count);
  for (int i = 0; i < count.index; ++i) {
    ZipEntry entry;
    const int code = ZipGetEntry(zip, i, entry);
    const long long seconds =
        entry.times.modification == 0 ? 0 : static_cast<long long>(entry.times.modification / 10000000) - 11644473600LL;
    Print(std::to_wstring(i) + L"\t" + std::to_wstring(code) + L"\t" + std::to_wstring(entry.uncompressedSize) +
          L"\t" + std::to_wstring(entry.compressedSize) + L"\t" + std::to_wstring(entry.attributes) + L"\t" +
          std::to_wstring(seconds) + L"\t" + entry.name + L"\n");
  }
  return 0;
}

int Extract(const std::wstring& archive, const std::wstring& folder) {
  ZipHandle zip = ZipOpen(archive);
  if (!zip) return 1;
  ZipEntry count;
  ZipGetEntry(zip, -1, count);
  int status = 0;
  for (int i = 0; i < count.index; ++i) {
    ZipEntry entry;
    ZipGetEntry(zip, i, entry);
    ZipSetBaseFolder(zip, folder);
    if (const int code = ZipExtractEntry(zip, i, entry.name); code != kZipOk) {
      Print(std::to_wstring(i) + L"\t" + std::to_wstring(code) + L"\t" + entry.name + L"\n");
      status = 1;
    }
  }
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Usage();
  const std::wstring verb = argv[1];
  if (verb == L"create" && (argc == 4 || argc == 5)) return Create(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
  if (verb == L"add" && argc >= 5 && argc % 2 == 1) return Add(argv[2], argc - 3, argv + 3);
  if (verb == L"list" && argc == 3) return List(argv[2]);
  if (verb == L"extract" && argc == 4) return Extract(argv[2], argv[3]);
  return Usage();
}
