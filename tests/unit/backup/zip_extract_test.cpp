// Where extraction writes: below the base folder whatever the stored or the
// passed name says, never through a link, folders made on the way.

#include <gtest/gtest.h>

#include "backup/zip_writer.hpp"
#include "zip_test_support.hpp"

namespace velkor {
namespace {

using test::Bytes;

// An archive whose entries carry the given stored names (the writer stores
// any name it is given, which makes hostile archives easy to build).
MemoryFileSystem ArchiveWithNames(const std::vector<std::wstring>& names) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\in\\f", Bytes("content"));
  ZipHandle zip = ZipCreate(files, L"C:\\t.zip");
  for (const std::wstring& name : names) EXPECT_EQ(ZipAddFile(zip, L"C:\\in\\f", name), kZipOk);
  EXPECT_EQ(ZipClose(zip), kZipOk);
  return files;
}

// Every file of the file system apart from the archive and its source.
std::vector<std::wstring> WrittenFiles(const MemoryFileSystem& files) {
  std::vector<std::wstring> written;
  for (const MemoryFileSystem::Node* node : files.Nodes()) {
    if (node->kind == PathKind::File && node->path != L"C:\\t.zip" && node->path != L"C:\\in\\f") {
      written.push_back(node->path);
    }
  }
  return written;
}

TEST(ZipExtract, ClimbingAndRootedNamesLandBelowTheBaseFolder) {
  MemoryFileSystem files = ArchiveWithNames({L"../../x.sys", L"..\\y.sys", L"C:\\z.sys", L"/abs/w.sys",
                                             L"drv/../../v.sys", L"../C:/u.sys"});
  ZipHandle zip = ZipOpen(files, L"C:\\t.zip");
  ASSERT_TRUE(zip);
  std::vector<std::wstring> names;
  for (int i = 0; i < 6; ++i) {
    ZipEntry entry;
    ASSERT_EQ(ZipGetEntry(zip, i, entry), kZipOk);
    names.push_back(entry.name);
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"x.sys", L"y.sys", L"z.sys", L"abs\\w.sys", L"v.sys", L"u.sys"}));
  EXPECT_EQ(ZipExtractAll(zip, L"C:\\out\\pkg"), kZipOk);

  // A caller's own name goes through the same cleaning.
  ASSERT_EQ(ZipSetBaseFolder(zip, L"C:\\out\\pkg"), kZipOk);
  EXPECT_EQ(ZipExtractEntry(zip, 0, L"C:\\Windows\\system32\\x.sys"), kZipOk);
  EXPECT_EQ(ZipExtractEntry(zip, 0, L"\\\\server\\share\\x.sys"), kZipOk);
  EXPECT_EQ(ZipExtractEntry(zip, 0, L"..\\..\\..\\t.zip"), kZipOk);
  EXPECT_EQ(WrittenFiles(files),
            (std::vector<std::wstring>{L"C:\\out\\pkg\\abs\\w.sys", L"C:\\out\\pkg\\server\\share\\x.sys",
                                       L"C:\\out\\pkg\\t.zip", L"C:\\out\\pkg\\u.sys", L"C:\\out\\pkg\\v.sys",
                                       L"C:\\out\\pkg\\Windows\\system32\\x.sys", L"C:\\out\\pkg\\x.sys",
                                       L"C:\\out\\pkg\\y.sys", L"C:\\out\\pkg\\z.sys"}));
}

TEST(ZipExtract, NamesThatCannotBeWrittenSafelyAreRefused) {
  const std::vector<std::wstring> hostile = {L"x.sys:evil",  L"a/b:c/x",  L"con",   L"drv/NUL.txt", L"com1.sys",
                                             L"x.sys.",     L"dir. /x",  L"x\ty",  L"..",          L"a/..",
                                             L"C:",         L"//",       L"a?b",   L"LPT1 .inf"};
  std::vector<std::wstring> names = hostile;
  names.push_back(L"fine.sys");
  MemoryFileSystem files = ArchiveWithNames(names);
  ZipHandle zip = ZipOpen(files, L"C:\\t.zip");
  ASSERT_TRUE(zip);
  ASSERT_EQ(ZipSetBaseFolder(zip, L"C:\\out"), kZipOk);
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    ZipEntry entry;
    EXPECT_EQ(ZipGetEntry(zip, static_cast<int>(i), entry), kZipUnsafeName) << i;
    EXPECT_EQ(ZipExtractEntry(zip, static_cast<int>(i), entry.name), kZipUnsafeName) << i;
  }
  // The passed name is checked as well, for any entry.
  const int fine = static_cast<int>(hostile.size());
  EXPECT_EQ(ZipExtractEntry(zip, fine, L"aux.sys"), kZipUnsafeName);
  EXPECT_EQ(ZipExtractEntry(zip, fine, L"x.sys::$DATA"), kZipUnsafeName);
  EXPECT_EQ(ZipExtractEntry(zip, fine, L""), kZipUnsafeName);
  EXPECT_EQ(ZipExtractAll(zip, L"C:\\out"), kZipUnsafeName);  // the first failure's code
  EXPECT_EQ(WrittenFiles(files), (std::vector<std::wstring>{L"C:\\out\\fine.sys"}));
}

TEST(ZipExtract, LinksAreNeverGoneThrough) {
  MemoryFileSystem files = ArchiveWithNames({L"junction/x.sys", L"deep/junction2/y.sys", L"link.sys", L"ok/z.sys"});
  files.AddLink(L"C:\\out\\junction");
  files.AddLink(L"C:\\out\\deep\\junction2");
  files.AddLink(L"C:\\out\\link.sys");
  ZipHandle zip = ZipOpen(files, L"C:\\t.zip");
  ASSERT_TRUE(zip);
  ASSERT_EQ(ZipSetBaseFolder(zip, L"C:\\out"), kZipOk);
  EXPECT_EQ(ZipExtractEntry(zip, 0, L"junction\\x.sys"), kZipUnsafeName);
  EXPECT_EQ(ZipExtractEntry(zip, 1, L"deep\\junction2\\y.sys"), kZipUnsafeName);
  EXPECT_EQ(ZipExtractEntry(zip, 2, L"link.sys"), kZipUnsafeName);
  EXPECT_EQ(files.Find(L"C:\\out\\link.sys")->kind, PathKind::Link);
  EXPECT_EQ(ZipExtractEntry(zip, 3, L"ok\\z.sys"), kZipOk);
  EXPECT_EQ(WrittenFiles(files), (std::vector<std::wstring>{L"C:\\out\\ok\\z.sys"}));
}

TEST(ZipExtract, FoldersZeroByteFilesAndWhatIsInTheWay) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\in\\empty", std::vector<std::uint8_t>{});
  files.AddFile(L"C:\\in\\f", Bytes("new"));
  ZipHandle writer = ZipCreate(files, L"C:\\t.zip");
  ZipAddFile(writer, L"C:\\in\\empty", L"a\\b\\c\\empty.sys");
  ZipAddFile(writer, L"C:\\in\\f", L"plain");
  ZipAddFile(writer, L"C:\\in\\f", L"plain\\inside.sys");
  ZipAddFile(writer, L"C:\\in\\f", L"existing.sys");
  ZipAddFile(writer, L"C:\\in\\f", L"folder");
  ASSERT_EQ(ZipClose(writer), kZipOk);
  files.AddFile(L"C:\\out\\existing.sys", Bytes("old content, longer"));
  files.AddFolder(L"C:\\out\\folder");

  ZipHandle zip = ZipOpen(files, L"C:\\t.zip");
  ASSERT_TRUE(zip);
  EXPECT_EQ(ZipExtractAll(zip, L"C:\\out"), kZipCannotOpen);
  EXPECT_TRUE(files.Find(L"C:\\out\\a\\b\\c\\empty.sys")->bytes->empty());
  EXPECT_EQ(files.Find(L"C:\\out\\plain")->kind, PathKind::File);  // so plain\inside.sys cannot be made
  EXPECT_EQ(files.Find(L"C:\\out\\plain\\inside.sys"), nullptr);
  EXPECT_EQ(*files.Find(L"C:\\out\\existing.sys")->bytes, Bytes("new"));  // replaced
  EXPECT_EQ(files.Find(L"C:\\out\\folder")->kind, PathKind::Folder);

  // A directory entry only makes its folder.
  MemoryByteSink sink;
  {
    zip::ZipWriter raw(sink, {});
    MemoryByteSource nothing(std::span<const std::uint8_t>{});
    ASSERT_EQ(raw.Add("drivers/", nothing, {0, {}, kAttributeDirectory}, true), kZipOk);
    ASSERT_EQ(raw.Finish(), kZipOk);
  }
  files.AddFile(L"C:\\d.zip", sink.Take());
  zip = ZipOpen(files, L"C:\\d.zip");
  ZipEntry entry;
  ASSERT_EQ(ZipGetEntry(zip, 0, entry), kZipOk);
  EXPECT_EQ(entry.name, L"drivers");
  EXPECT_EQ(entry.attributes, kAttributeDirectory);
  EXPECT_EQ(ZipExtractAll(zip, L"C:\\new\\base"), kZipOk);
  EXPECT_EQ(files.Find(L"C:\\new\\base\\drivers")->kind, PathKind::Folder);
}

}  // namespace
}  // namespace velkor
