// Archives written by the writer read back with every name, byte, time and
// attribute, over the memory file system.

#include <gtest/gtest.h>

#include <map>

#include "backup/zip_reader.hpp"
#include "zip_test_support.hpp"

namespace velkor {
namespace {

using test::Bytes;
using test::kSomeTime;

constexpr std::uint64_t kSecond = 10000000;

struct SourceFile {
  std::wstring entryName;
  std::vector<std::uint8_t> bytes;
  std::uint32_t attributes;
};

std::vector<SourceFile> DriverLikeFiles() {
  return {
      {L"index.dat", Bytes("\x0b\0\0\0"), kAttributeArchive},
      {L"Display\\nv4_disp.inf", test::TextBytes(50000), kAttributeArchive | kAttributeReadOnly},
      {L"Display\\nv4_mini.sys", test::NoiseBytes(70000, 1), kAttributeArchive | kAttributeSystem},
      {L"Display\\empty.dat", {}, kAttributeHidden},
      {L"Display\\chunk.bin", test::NoiseBytes(16384, 2), 0},
      {L"Display\\chunk1.bin", test::NoiseBytes(16385, 3), 0},
      {L"Audio Device\\pkg.ZIP", test::NoiseBytes(3000, 4), kAttributeArchive},
      {L"Audio Device\\data.cab", test::TextBytes(3000), kAttributeArchive},
      {L"Audio Device\\Ger\u00e4t \u65e5\u672c.sys", test::TextBytes(10), kAttributeArchive},
  };
}

void AddSources(MemoryFileSystem& files, const std::vector<SourceFile>& sources) {
  std::uint64_t time = kSomeTime;
  for (const SourceFile& source : sources) {
    time += 1234 * kSecond + 5678;  // a fraction of a second, which the archive does not keep
    files.AddFile(L"C:\\work\\" + source.entryName, source.bytes, source.attributes,
                  {time - 3600 * kSecond, time + 60 * kSecond, time});
  }
}

TEST(ZipRoundTrip, NamesBytesTimesAndAttributesComeBack) {
  MemoryFileSystem files;
  files.SetLocalOffsetSeconds(2 * 3600);
  const std::vector<SourceFile> sources = DriverLikeFiles();
  AddSources(files, sources);
  std::vector<std::pair<std::wstring, std::wstring>> entries;
  for (const SourceFile& source : sources) entries.emplace_back(source.entryName, L"C:\\work\\" + source.entryName);
  ASSERT_FALSE(test::WriteArchive(files, L"C:\\backup.zip", entries).empty());

  ZipHandle zip = ZipOpen(files, L"C:\\backup.zip");
  ASSERT_TRUE(zip);
  ZipEntry count;
  ASSERT_EQ(ZipGetEntry(zip, -1, count), kZipOk);
  ASSERT_EQ(count.index, static_cast<int>(sources.size()));
  for (int i = 0; i < count.index; ++i) {
    const SourceFile& source = sources[static_cast<std::size_t>(i)];
    const MemoryFileSystem::Node* original = files.Find(L"C:\\work\\" + source.entryName);
    ZipEntry entry;
    ASSERT_EQ(ZipGetEntry(zip, i, entry), kZipOk);
    EXPECT_EQ(entry.index, i);
    EXPECT_EQ(entry.name, source.entryName);
    EXPECT_EQ(entry.attributes, source.attributes);
    EXPECT_EQ(entry.uncompressedSize, source.bytes.size());
    // The archive keeps whole seconds.
    EXPECT_EQ(entry.times.modification, original->times.modification / kSecond * kSecond);
    EXPECT_EQ(entry.times.access, original->times.access / kSecond * kSecond);
    EXPECT_EQ(entry.times.creation, original->times.creation / kSecond * kSecond);

    ASSERT_EQ(ZipSetBaseFolder(zip, L"C:\\restore\\new"), kZipOk);  // created on the way
    ASSERT_EQ(ZipExtractEntry(zip, i, entry.name), kZipOk) << entry.name;
    const MemoryFileSystem::Node* extracted = files.Find(L"C:\\restore\\new\\" + entry.name);
    ASSERT_NE(extracted, nullptr) << entry.name;
    EXPECT_EQ(*extracted->bytes, source.bytes) << entry.name;
    EXPECT_EQ(extracted->attributes, source.attributes);
    EXPECT_EQ(extracted->times.modification, entry.times.modification);
    EXPECT_EQ(extracted->times.access, entry.times.access);
    EXPECT_EQ(extracted->times.creation, entry.times.creation);
  }
  EXPECT_EQ(ZipClose(zip), kZipOk);
  EXPECT_FALSE(zip);
}

TEST(ZipRoundTrip, MethodFollowsTheExtensionAndTheLocalTimeIsTheDosTime) {
  MemoryFileSystem files;
  files.SetLocalOffsetSeconds(-5 * 3600);
  const std::vector<SourceFile> sources = DriverLikeFiles();
  AddSources(files, sources);
  std::vector<std::pair<std::wstring, std::wstring>> entries;
  for (const SourceFile& source : sources) entries.emplace_back(source.entryName, L"C:\\work\\" + source.entryName);
  const std::vector<std::uint8_t> archive = test::WriteArchive(files, L"C:\\a.zip", entries);

  MemoryByteSource source(archive);
  zip::ZipReader reader;
  ASSERT_EQ(reader.Open(source, {}), kZipOk);
  std::map<std::wstring, std::uint16_t> methods;
  for (std::size_t i = 0; i < reader.Count(); ++i) methods[reader.Entry(i).name] = reader.Entry(i).method;
  EXPECT_EQ(methods[L"Audio Device\\pkg.ZIP"], 0);
  EXPECT_EQ(methods[L"Audio Device\\data.cab"], 8);
  EXPECT_EQ(methods[L"Display\\nv4_mini.sys"], 8);
  EXPECT_EQ(methods[L"index.dat"], 8);
  // Names are stored with slashes; the non-ASCII one is flagged as UTF-8.
  const std::string stored(archive.begin(), archive.end());
  EXPECT_NE(stored.find("Audio Device/pkg.ZIP"), std::string::npos);
  EXPECT_EQ(stored.find("Audio Device\\pkg.ZIP"), std::string::npos);
  EXPECT_EQ(reader.Entry(8).flags & 0x0800, 0x0800);
  EXPECT_EQ(reader.Entry(0).flags & 0x0800, 0);

  // The DOS time is the local time: the first entry was changed at
  // 2021-06-15 12:55:30 UTC, 07:55:30 local.
  const std::uint32_t dos = reader.Entry(0).dosDateTime;
  EXPECT_EQ(dos >> 16, ((2021u - 1980) << 9) | (6u << 5) | 15u);
  EXPECT_EQ(dos & 0xFFFF, (7u << 11) | (55u << 5) | (30u / 2));
}

TEST(ZipRoundTrip, Zip64RecordsReadBack) {
  // A low threshold gives every size and offset ZIP64 fields.
  MemoryFileSystem files;
  files.AddFile(L"C:\\w\\a.sys", test::TextBytes(100000));
  files.AddFile(L"C:\\w\\b.zip", test::NoiseBytes(5000, 9));
  files.AddFile(L"C:\\w\\c.txt", std::vector<std::uint8_t>{});
  ZipWriteOptions options;
  options.zip64Threshold = 1;
  const std::vector<std::uint8_t> archive = test::WriteArchive(
      files, L"C:\\z.zip", {{L"a.sys", L"C:\\w\\a.sys"}, {L"b.zip", L"C:\\w\\b.zip"}, {L"c.txt", L"C:\\w\\c.txt"}},
      options);
  ASSERT_FALSE(archive.empty());
  const std::string raw(archive.begin(), archive.end());
  EXPECT_NE(raw.find("PK\x06\x06"), std::string::npos);
  EXPECT_NE(raw.find("PK\x06\x07"), std::string::npos);

  ZipHandle zip = ZipOpen(files, L"C:\\z.zip");
  ASSERT_TRUE(zip);
  ASSERT_EQ(ZipExtractAll(zip, L"C:\\out"), kZipOk);
  EXPECT_EQ(*files.Find(L"C:\\out\\a.sys")->bytes, test::TextBytes(100000));
  EXPECT_EQ(*files.Find(L"C:\\out\\b.zip")->bytes, test::NoiseBytes(5000, 9));
  EXPECT_TRUE(files.Find(L"C:\\out\\c.txt")->bytes->empty());
}

TEST(ZipRoundTrip, MoreEntriesThanTheEndRecordCounts) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\w\\f", Bytes("x"));
  ZipHandle zip = ZipCreate(files, L"C:\\many.zip");
  ASSERT_TRUE(zip);
  constexpr int kCount = 65536 + 10;
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(ZipAddFile(zip, L"C:\\w\\f", L"d\\" + std::to_wstring(i)), kZipOk);
  ASSERT_EQ(ZipClose(zip), kZipOk);

  zip = ZipOpen(files, L"C:\\many.zip");
  ASSERT_TRUE(zip);
  ZipEntry entry;
  ASSERT_EQ(ZipGetEntry(zip, -1, entry), kZipOk);
  EXPECT_EQ(entry.index, kCount);
  ASSERT_EQ(ZipGetEntry(zip, kCount - 1, entry), kZipOk);
  EXPECT_EQ(entry.name, L"d\\" + std::to_wstring(kCount - 1));
}

TEST(ZipRoundTrip, FoldersAddedAndExtractedWhole) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\work\\index.dat", Bytes("i"));
  files.AddFile(L"C:\\work\\Dev A\\a.sys", Bytes("a"));
  files.AddFile(L"C:\\work\\Dev A\\sub\\b.dll", Bytes("b"));
  files.AddFolder(L"C:\\work\\Empty");
  files.AddLink(L"C:\\work\\Elsewhere");  // a junction is not followed
  files.AddFile(L"C:\\work\\Dev B\\c.inf", Bytes("c"));
  files.AddFile(L"C:\\other\\secret.txt", Bytes("s"));
  ZipHandle zip = ZipCreate(files, L"C:\\b.zip");
  ASSERT_EQ(ZipAddFolder(zip, L"C:\\work"), kZipOk);
  ASSERT_EQ(ZipClose(zip), kZipOk);

  zip = ZipOpen(files, L"C:\\b.zip");
  ASSERT_TRUE(zip);
  std::vector<std::wstring> names;
  ZipEntry entry;
  ZipGetEntry(zip, -1, entry);
  for (int i = 0; i < entry.index; ++i) {
    ZipEntry listed;
    ZipGetEntry(zip, i, listed);
    names.push_back(listed.name);
  }
  // Each folder's items in the file system's order, a subfolder's files right
  // after the subfolder.
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Dev A\\a.sys", L"Dev A\\sub\\b.dll", L"Dev B\\c.inf", L"index.dat"}));
  ASSERT_EQ(ZipExtractAll(zip, L"D:\\restore\\"), kZipOk);
  EXPECT_EQ(*files.Find(L"D:\\restore\\Dev A\\sub\\b.dll")->bytes, Bytes("b"));
  EXPECT_EQ(*files.Find(L"D:\\restore\\index.dat")->bytes, Bytes("i"));
}

TEST(ZipRoundTrip, HandlesOfTheOtherKindAndBadArgumentsAreRefused) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\f.txt", Bytes("f"));
  ZipHandle none;
  ZipEntry entry;
  EXPECT_EQ(ZipAddFile(none, L"C:\\f.txt", L"f.txt"), kZipBadArgument);
  EXPECT_EQ(ZipGetEntry(none, -1, entry), kZipBadArgument);
  EXPECT_EQ(ZipSetBaseFolder(none, L"C:\\x"), kZipBadArgument);
  EXPECT_EQ(ZipExtractEntry(none, 0, L"f.txt"), kZipBadArgument);
  EXPECT_EQ(ZipClose(none), kZipBadArgument);

  ZipHandle writer = ZipCreate(files, L"C:\\w.zip");
  ASSERT_TRUE(writer);
  EXPECT_EQ(ZipGetEntry(writer, -1, entry), kZipWrongKind);
  EXPECT_EQ(ZipSetBaseFolder(writer, L"C:\\x"), kZipWrongKind);
  EXPECT_EQ(ZipExtractEntry(writer, 0, L"f.txt"), kZipWrongKind);
  EXPECT_EQ(ZipAddFile(writer, L"C:\\missing.txt", L"m.txt"), kZipCannotOpen);
  EXPECT_EQ(ZipAddFile(writer, L"C:\\f.txt", L""), kZipBadArgument);
  EXPECT_EQ(ZipAddFile(writer, L"C:\\f.txt", L"f.txt"), kZipOk);
  EXPECT_EQ(ZipClose(writer), kZipOk);

  ZipHandle reader = ZipOpen(files, L"C:\\w.zip");
  ASSERT_TRUE(reader);
  EXPECT_EQ(ZipAddFile(reader, L"C:\\f.txt", L"g.txt"), kZipWrongKind);
  EXPECT_EQ(ZipGetEntry(reader, 1, entry), kZipBadArgument);
  EXPECT_EQ(ZipGetEntry(reader, -2, entry), kZipBadArgument);
  EXPECT_EQ(ZipExtractEntry(reader, 0, L"f.txt"), kZipBadArgument);  // no base folder yet
  EXPECT_EQ(ZipSetBaseFolder(reader, L""), kZipBadArgument);
  EXPECT_EQ(ZipExtractEntry(reader, 1, L"f.txt"), kZipBadArgument);
  EXPECT_EQ(ZipClose(reader), kZipOk);

  EXPECT_FALSE(ZipCreate(files, L"Q:\\no\\such\\folder\\a.zip"));
  EXPECT_FALSE(ZipOpen(files, L"C:\\missing.zip"));
  EXPECT_FALSE(ZipOpen(files, L"C:\\f.txt"));  // not an archive
}

TEST(ZipRoundTrip, AWriterDroppedWithoutCloseStillLeavesAnArchive) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\f.txt", Bytes("f"));
  {
    ZipHandle writer = ZipCreate(files, L"C:\\w.zip");
    ASSERT_EQ(ZipAddFile(writer, L"C:\\f.txt", L"f.txt"), kZipOk);
  }
  ZipHandle reader = ZipOpen(files, L"C:\\w.zip");
  ASSERT_TRUE(reader);
  ZipEntry entry;
  ZipGetEntry(reader, -1, entry);
  EXPECT_EQ(entry.index, 1);
}

}  // namespace
}  // namespace velkor
