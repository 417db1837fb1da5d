// Archives written by Info-ZIP zip, Python's zipfile and 7-Zip (made by
// tests/fixtures/backup/make_tool_archives.sh) read back with their names,
// bytes and times.

#include <gtest/gtest.h>

#include <map>

#include "zip_test_support.hpp"

namespace velkor {
namespace {

struct FixtureFile {
  const char* name;  // relative to tool_archives/, with slashes
  std::vector<std::uint8_t> bytes;
};

const std::vector<FixtureFile>& Fixtures() {
  static const std::vector<FixtureFile> files = {
#include "tool_archives.inc"
  };
  return files;
}

const std::vector<std::uint8_t>& Fixture(const std::string& name) {
  for (const FixtureFile& file : Fixtures()) {
    if (name == file.name) return file.bytes;
  }
  static const std::vector<std::uint8_t> none;
  ADD_FAILURE() << "no fixture " << name;
  return none;
}

// 2020-02-29 13:14:16 UTC, the time the script gives every content file.
constexpr std::uint64_t kContentTime = 132274556560000000ull;

TEST(ToolArchives, EveryArchiveExtractsToItsContent) {
  struct Case {
    const char* archive;
    std::vector<std::string> entries;  // in archive order; "drv" is a folder
  };
  const std::vector<std::string> all = {"drv", "drv/readme.txt", "drv/bin.sys", "empty.dat"};
  const Case cases[] = {
      {"infozip.zip", all},
      {"infozip_pipe.zip", all},                         // data descriptors
      {"infozip_comment.zip", {"drv", "drv/readme.txt", "drv/bin.sys"}},
      {"infozip_stdin.zip", {"-"}},                      // ZIP64 records
      {"sevenzip.zip", {"drv", "drv/bin.sys", "drv/readme.txt", "empty.dat"}},  // NTFS times
      {"python_zip64.zip", {"drv/readme.txt", "drv/bin.sys"}},                 // ZIP64 local fields, comment
      {"python_stream.zip", {"drv/readme.txt", "drv/bin.sys", "empty.dat"}},   // data descriptors
      {"setup_appended.exe", all},                       // after a program, offsets as written
      {"setup_adjusted.exe", all},                       // after a program, offsets adjusted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    MemoryFileSystem files;
    files.AddFile(L"C:\\pkg.zip", Fixture(c.archive));
    ZipHandle zip = ZipOpen(files, L"C:\\pkg.zip");
    ASSERT_TRUE(zip);
    ZipEntry count;
    ASSERT_EQ(ZipGetEntry(zip, -1, count), kZipOk);
    ASSERT_EQ(count.index, static_cast<int>(c.entries.size()));
    EXPECT_EQ(ZipExtractAll(zip, L"C:\\out"), kZipOk);
    for (int i = 0; i < count.index; ++i) {
      const std::string& expected = c.entries[static_cast<std::size_t>(i)];
      ZipEntry entry;
      ASSERT_EQ(ZipGetEntry(zip, i, entry), kZipOk);
      std::wstring name(expected.begin(), expected.end());
      for (wchar_t& ch : name) {
        if (ch == L'/') ch = L'\\';
      }
      EXPECT_EQ(entry.name, name);
      const MemoryFileSystem::Node* node = files.Find(L"C:\\out\\" + name);
      ASSERT_NE(node, nullptr) << expected;
      if (expected == "drv") {
        EXPECT_EQ(node->kind, PathKind::Folder);
        EXPECT_EQ(entry.attributes & kAttributeDirectory, kAttributeDirectory);
        continue;
      }
      const std::string content = expected == "-" ? "content/drv/readme.txt" : "content/" + expected;
      EXPECT_EQ(*node->bytes, Fixture(content)) << expected;
      EXPECT_EQ(entry.uncompressedSize, Fixture(content).size());
      if (expected != "-") {
        EXPECT_EQ(entry.times.modification, kContentTime) << expected;
        EXPECT_EQ(node->times.modification, kContentTime) << expected;
      }
    }
  }
}

}  // namespace
}  // namespace velkor
