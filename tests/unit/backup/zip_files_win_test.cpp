// The archive layer on the disk: attributes and times set on extracted files,
// read-only files replaced, a failed entry's file deleted. (Links made by the
// file system are checked by tests/integration/backup/zip_interop.sh, which
// can make them: under Wine they are symbolic links of the host.)

#include <windows.h>

#include <gtest/gtest.h>

#include "backup/zip_archive.hpp"
#include "backup/zip_file_system_win.hpp"
#include "core_test_files.hpp"
#include "zip_test_support.hpp"

namespace velkor {
namespace {

using testing::ReadAll;
using testing::ScratchFolder;
using testing::WriteAll;

constexpr std::uint64_t kSecond = 10000000;

struct DiskFacts {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  std::uint64_t creation = 0;
  std::uint64_t access = 0;
  std::uint64_t modification = 0;
};

std::uint64_t Ticks(const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

DiskFacts FactsOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  DiskFacts facts;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return facts;
  facts.attributes = data.dwFileAttributes;
  facts.creation = Ticks(data.ftCreationTime);
  facts.access = Ticks(data.ftLastAccessTime);
  facts.modification = Ticks(data.ftLastWriteTime);
  return facts;
}

void SetTimes(const std::wstring& path, std::uint64_t creation, std::uint64_t access, std::uint64_t modification) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const FILETIME c{static_cast<DWORD>(creation), static_cast<DWORD>(creation >> 32)};
  const FILETIME a{static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
  const FILETIME m{static_cast<DWORD>(modification), static_cast<DWORD>(modification >> 32)};
  EXPECT_TRUE(SetFileTime(file, &c, &a, &m));
  CloseHandle(file);
}

// Read-only files would keep the scratch folder from being removed.
void ClearAttributes(const std::filesystem::path& folder) {
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    SetFileAttributesW(item.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(ZipFilesWin, ExtractedFilesGetTheirBytesAttributesAndTimes) {
  ScratchFolder scratch;
  const std::wstring work = scratch.File(L"work");
  CreateDirectoryW(work.c_str(), nullptr);
  CreateDirectoryW((work + L"\\Dev A").c_str(), nullptr);
  struct Source {
    std::wstring name;
    std::vector<std::uint8_t> bytes;
    DWORD attributes;
  };
  const std::vector<Source> sources = {
      {L"index.dat", test::Bytes("\x0b\0\0\0"), FILE_ATTRIBUTE_ARCHIVE},
      {L"Dev A\\drv.sys", test::NoiseBytes(100000, 5), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
      {L"Dev A\\drv.inf", test::TextBytes(20000), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
      {L"Dev A\\empty.cat", {}, FILE_ATTRIBUTE_ARCHIVE},
  };
  // Day d of the sources' times; reading a file for the archive may move its
  // access time on the disk, so the times are compared with these.
  auto timeOf = [](std::size_t d) { return test::kSomeTime + (d + 1) * 86400 * kSecond + 1234; };
  for (std::size_t d = 0; d < sources.size(); ++d) {
    const std::wstring path = work + L"\\" + sources[d].name;
    WriteAll(path, sources[d].bytes);
    SetTimes(path, timeOf(d) - 3600 * kSecond, timeOf(d) + 7 * kSecond, timeOf(d));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), sources[d].attributes));
  }

  const std::wstring archive = scratch.File(L"backup.zip");
  ZipHandle writer = ZipCreate(archive);
  ASSERT_TRUE(writer);
  ASSERT_EQ(ZipAddFolder(writer, work), kZipOk);
  ASSERT_EQ(ZipClose(writer), kZipOk);

  // A read-only file in the way is replaced.
  const std::wstring restore = scratch.File(L"restore\\deeper");
  CreateDirectoryW(scratch.File(L"restore").c_str(), nullptr);
  CreateDirectoryW(restore.c_str(), nullptr);
  WriteAll(restore + L"\\index.dat", test::Bytes("old"));
  SetFileAttributesW((restore + L"\\index.dat").c_str(), FILE_ATTRIBUTE_READONLY);

  ZipHandle reader = ZipOpen(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ZipExtractAll(reader, restore), kZipOk);
  for (std::size_t d = 0; d < sources.size(); ++d) {
    const Source& source = sources[d];
    SCOPED_TRACE(std::string(source.name.begin(), source.name.end()));
    const std::uint64_t time = timeOf(d) / kSecond * kSecond;  // the archive keeps whole seconds
    const DiskFacts extracted = FactsOf(restore + L"\\" + source.name);
    EXPECT_EQ(ReadAll(restore + L"\\" + source.name), source.bytes);
    EXPECT_EQ(extracted.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              source.attributes);
    EXPECT_EQ(extracted.modification, time);
    EXPECT_EQ(extracted.access, time + 7 * kSecond);
    // Wine keeps no creation times of its own (it reports the modification
    // time), so the extracted file is held to what the source reports.
    EXPECT_EQ(extracted.creation, FactsOf(work + L"\\" + source.name).creation / kSecond * kSecond);
  }
  ZipClose(reader);
  ClearAttributes(scratch.Path());
}

TEST(ZipFilesWin, AnEntryThatFailsItsCheckLeavesNoFile) {
  ScratchFolder scratch;
  WriteAll(scratch.File(L"a.sys"), test::NoiseBytes(5000, 8));
  const std::wstring archive = scratch.File(L"t.zip");
  ZipHandle writer = ZipCreate(archive);
  ASSERT_EQ(ZipAddFile(writer, scratch.File(L"a.sys"), L"drv\\a.zip"), kZipOk);  // stored
  ASSERT_EQ(ZipClose(writer), kZipOk);
  std::vector<std::uint8_t> bytes = ReadAll(archive);
  bytes[30 + 9 + 100] ^= 1;  // a byte of the stored data, past the header and its "UT" field
  WriteAll(archive, bytes);

  ZipHandle reader = ZipOpen(archive);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ZipExtractAll(reader, scratch.File(L"out")), kZipBadCrc);
  EXPECT_EQ(GetFileAttributesW(scratch.File(L"out\\drv\\a.zip").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(scratch.File(L"out\\drv").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ZipFilesWin, MissingArchivesAndFoldersGiveNullOrCodes) {
  ScratchFolder scratch;
  EXPECT_FALSE(ZipOpen(scratch.File(L"missing.zip")));
  EXPECT_FALSE(ZipOpen(scratch.File(L"")));  // a folder
  EXPECT_FALSE(ZipCreate(scratch.File(L"no\\such\\folder\\a.zip")));
  ZipHandle writer = ZipCreate(scratch.File(L"a.zip"));
  ASSERT_TRUE(writer);
  EXPECT_EQ(ZipAddFile(writer, scratch.File(L"missing.sys"), L"m.sys"), kZipCannotOpen);
  EXPECT_EQ(ZipAddFile(writer, scratch.Path().wstring(), L"folder"), kZipCannotOpen);
  EXPECT_EQ(ZipClose(writer), kZipOk);
}

TEST(ZipFilesWin, LocalTimeFollowsTheTimeZoneBothWays) {
  WinZipFileSystem files;
  for (std::uint64_t t : {test::kSomeTime, test::kSomeTime + 180 * 86400 * kSecond}) {
    EXPECT_EQ(files.LocalToUtc(files.UtcToLocal(t)), t);
  }
}

}  // namespace
}  // namespace velkor
