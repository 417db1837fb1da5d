// Damaged and crafted archives: every one gives a non-zero code (or does not
// open), never a crash, and no entry that fails leaves a file behind.

#include <gtest/gtest.h>

#include <functional>

#include "backup/zip_writer.hpp"
#include "zip_test_support.hpp"

namespace velkor {
namespace {

using test::GetU16;
using test::GetU32;
using test::SetU16;
using test::SetU32;

const std::vector<std::uint8_t>& TextContent() {
  static const std::vector<std::uint8_t> bytes = test::TextBytes(40000);
  return bytes;
}
const std::vector<std::uint8_t>& NoiseContent() {
  static const std::vector<std::uint8_t> bytes = test::NoiseBytes(3000, 7);
  return bytes;
}

// a.txt (deflated), then b.zip (stored).
std::vector<std::uint8_t> TwoEntryArchive() {
  MemoryFileSystem files;
  files.AddFile(L"C:\\in\\a.txt", TextContent());
  files.AddFile(L"C:\\in\\b.zip", NoiseContent());
  return test::WriteArchive(files, L"C:\\t.zip", {{L"a.txt", L"C:\\in\\a.txt"}, {L"b.zip", L"C:\\in\\b.zip"}});
}

struct Outcome {
  bool opened = false;
  std::vector<int> codes;  // ZipExtractEntry per entry
};

// Opens the bytes as an archive, extracts every entry below C:\out and checks
// what every archive must give: a failed entry leaves no file; a file that is
// there holds exactly what was archived under its name.
Outcome ExtractAll(const std::vector<std::uint8_t>& archive, const ZipReadLimits& limits = {}) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\t.zip", archive);
  Outcome outcome;
  ZipHandle zip = ZipOpen(files, L"C:\\t.zip", limits);
  if (!zip) return outcome;
  outcome.opened = true;
  ZipEntry count;
  EXPECT_EQ(ZipGetEntry(zip, -1, count), kZipOk);
  for (int i = 0; i < count.index; ++i) {
    ZipEntry entry;
    const int listed = ZipGetEntry(zip, i, entry);
    EXPECT_EQ(ZipSetBaseFolder(zip, L"C:\\out"), kZipOk);
    const int code = ZipExtractEntry(zip, i, entry.name);
    if (listed != kZipOk) {
      EXPECT_EQ(code, listed);
    }
    outcome.codes.push_back(code);
    const MemoryFileSystem::Node* file = files.Find(L"C:\\out\\" + entry.name);
    if (code != kZipOk) {
      EXPECT_TRUE(file == nullptr || file->kind != PathKind::File) << entry.name;
    }
  }
  for (const MemoryFileSystem::Node* node : files.Nodes()) {
    if (node->kind != PathKind::File || node->path == L"C:\\t.zip") continue;
    if (node->path == L"C:\\out\\a.txt") {
      EXPECT_EQ(*node->bytes, TextContent());
    } else if (node->path == L"C:\\out\\b.zip") {
      EXPECT_EQ(*node->bytes, NoiseContent());
    } else {
      ADD_FAILURE() << "unexpected file " << std::string(node->path.begin(), node->path.end());
    }
  }
  return outcome;
}

TEST(ZipDamage, EveryTruncationFailsCleanly) {
  const std::vector<std::uint8_t> archive = TwoEntryArchive();
  ASSERT_EQ(ExtractAll(archive).codes, (std::vector<int>{kZipOk, kZipOk}));
  for (std::size_t size = 0; size < archive.size(); ++size) {
    const Outcome outcome = ExtractAll({archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(size)});
    // Cut anywhere, the end record is gone or points past the end.
    EXPECT_FALSE(outcome.opened) << size;
  }
}

TEST(ZipDamage, DamagedRecordsGiveNonZeroCodes) {
  const std::vector<std::uint8_t> good = TwoEntryArchive();
  const test::ArchiveLayout at = test::LayoutOf(good);
  const std::size_t a = at.centralHeaders[0];
  const std::size_t localA = at.localHeaders[0];
  const std::size_t localB = at.localHeaders[1];
  const std::size_t dataA = localA + 30 + GetU16(good, localA + 26) + GetU16(good, localA + 28);
  const std::size_t dataB = localB + 30 + GetU16(good, localB + 26) + GetU16(good, localB + 28);

  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    bool opens;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"directory offset past the end", [&](auto& b) { SetU32(b, at.endRecord + 16, static_cast<std::uint32_t>(b.size()) + 100); }, false, {}},
      {"directory size past the end record", [&](auto& b) { SetU32(b, at.endRecord + 12, GetU32(b, at.endRecord + 12) + 1000); }, false, {}},
      {"more entries than records", [&](auto& b) { SetU16(b, at.endRecord + 8, 3); SetU16(b, at.endRecord + 10, 3); }, false, {}},
      {"entry counts that differ (a multi-disk archive)", [&](auto& b) { SetU16(b, at.endRecord + 8, 1); }, false, {}},
      {"central name length past the directory", [&](auto& b) { SetU16(b, a + 28, 0xFFFF); }, false, {}},
      {"broken central signature", [&](auto& b) { b[at.centralHeaders[1]] = 'Q'; }, false, {}},
      {"local header offset past the end", [&](auto& b) { SetU32(b, a + 42, 0x7FFFFFFF); }, true, {kZipDamaged, kZipOk}},
      {"local header inside the directory", [&](auto& b) { SetU32(b, a + 42, static_cast<std::uint32_t>(at.directory)); }, true, {kZipDamaged, kZipOk}},
      {"broken local signature", [&](auto& b) { b[localA + 1] = 'Q'; }, true, {kZipDamaged, kZipOk}},
      {"local name length past the end", [&](auto& b) { SetU16(b, localA + 26, 0xFFFF); }, true, {kZipDamaged, kZipOk}},
      {"local extra length into the next entry", [&](auto& b) { SetU16(b, localA + 28, 0xF000); }, true, {kZipDamaged, kZipOk}},
      {"local compressed size differs", [&](auto& b) { SetU32(b, localA + 18, GetU32(b, localA + 18) - 1); }, true, {kZipDamaged, kZipOk}},
      {"local size differs", [&](auto& b) { SetU32(b, localB + 22, 1); }, true, {kZipOk, kZipDamaged}},
      {"local method differs", [&](auto& b) { SetU16(b, localB + 8, 8); }, true, {kZipOk, kZipDamaged}},
      {"stored sizes that differ", [&](auto& b) {
         SetU32(b, localB + 22, 10); SetU32(b, at.centralHeaders[1] + 24, 10); }, true, {kZipOk, kZipDamaged}},
      {"wrong CRC", [&](auto& b) { b[localB + 14] ^= 1; b[at.centralHeaders[1] + 16] ^= 1; }, true, {kZipOk, kZipBadCrc}},
      {"stored data changed", [&](auto& b) { b[dataB + 100] ^= 0x55; }, true, {kZipOk, kZipBadCrc}},
      {"deflate data broken", [&](auto& b) { for (std::size_t i = 0; i < 64; ++i) b[dataA + 20 + i] = 0xFF; }, true, {kZipBadData, kZipOk}},
      {"declared size smaller than the data", [&](auto& b) {
         SetU32(b, localA + 22, 39999); SetU32(b, a + 24, 39999); }, true, {kZipBadData, kZipOk}},
      {"declared size larger than the data", [&](auto& b) {
         SetU32(b, localA + 22, 40001); SetU32(b, a + 24, 40001); }, true, {kZipBadData, kZipOk}},
      {"compressed data ends before its stream", [&](auto& b) {
         const std::uint32_t half = GetU32(b, localA + 18) / 2;
         SetU32(b, localA + 18, half); SetU32(b, a + 20, half); }, true, {kZipBadData, kZipOk}},
      {"compression method 12", [&](auto& b) { SetU16(b, localA + 8, 12); SetU16(b, a + 10, 12); }, true, {kZipUnsupported, kZipOk}},
      {"encrypted", [&](auto& b) { b[localA + 6] |= 1; b[a + 8] |= 1; }, true, {kZipUnsupported, kZipOk}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> archive = good;
    c.damage(archive);
    const Outcome outcome = ExtractAll(archive);
    EXPECT_EQ(outcome.opened, c.opens) << c.what;
    EXPECT_EQ(outcome.codes, c.codes) << c.what;
  }
}

TEST(ZipDamage, ArchivesBeyondTheLimitsDoNotOpen) {
  const std::vector<std::uint8_t> archive = TwoEntryArchive();
  EXPECT_TRUE(ExtractAll(archive).opened);
  ZipReadLimits entries;
  entries.maxEntries = 1;
  EXPECT_FALSE(ExtractAll(archive, entries).opened);
  ZipReadLimits total;
  total.maxTotalBytes = 42999;  // the entries hold 43000
  EXPECT_FALSE(ExtractAll(archive, total).opened);
  total.maxTotalBytes = 43000;
  EXPECT_TRUE(ExtractAll(archive, total).opened);
  ZipReadLimits ratio;
  ratio.ratioFreeBytes = 0;
  ratio.maxRatio = 43000 / archive.size();  // just below what the archive expands to
  EXPECT_FALSE(ExtractAll(archive, ratio).opened);
  ratio.maxRatio += 1;
  EXPECT_TRUE(ExtractAll(archive, ratio).opened);
}

TEST(ZipDamage, ABombThatRepeatsOneEntryIsRefused) {
  // One highly compressed entry named by many directory records: small on
  // disk, huge when extracted. Every record overlaps the others.
  constexpr std::uint16_t kRecords = 1100;
  MemoryFileSystem files;
  files.AddFile(L"C:\\zeros", std::vector<std::uint8_t>(1 << 20, 0));
  std::vector<std::uint8_t> archive = test::WriteArchive(files, L"C:\\z.zip", {{L"zeros", L"C:\\zeros"}});
  const test::ArchiveLayout at = test::LayoutOf(archive);
  const std::vector<std::uint8_t> record(archive.begin() + static_cast<std::ptrdiff_t>(at.directory),
                                         archive.begin() + static_cast<std::ptrdiff_t>(at.endRecord));
  std::vector<std::uint8_t> end(archive.begin() + static_cast<std::ptrdiff_t>(at.endRecord), archive.end());
  archive.resize(at.endRecord);
  for (int i = 1; i < kRecords; ++i) archive.insert(archive.end(), record.begin(), record.end());
  SetU16(end, 8, kRecords);
  SetU16(end, 10, kRecords);
  SetU32(end, 12, static_cast<std::uint32_t>(record.size() * kRecords));
  archive.insert(archive.end(), end.begin(), end.end());

  // Over a gigabyte from a few kilobytes: beyond the ratio limit.
  EXPECT_FALSE(ExtractAll(archive).opened);
  ZipReadLimits generous;
  generous.maxRatio = 1000000;
  const Outcome outcome = ExtractAll(archive, generous);
  ASSERT_TRUE(outcome.opened);
  EXPECT_EQ(outcome.codes, std::vector<int>(kRecords, kZipDamaged));
}

TEST(ZipDamage, AnEntryHiddenInsideAnotherIsRefused) {
  // b.zip is stored, and its bytes are an archive of their own; a directory
  // record added for the entry inside them makes the two entries overlap.
  MemoryFileSystem files;
  files.AddFile(L"C:\\in\\x.txt", test::TextBytes(1000));
  const std::vector<std::uint8_t> inner = test::WriteArchive(files, L"C:\\in\\b.zip", {{L"x.txt", L"C:\\in\\x.txt"}});
  std::vector<std::uint8_t> outer = test::WriteArchive(files, L"C:\\o.zip", {{L"b.zip", L"C:\\in\\b.zip"}});
  const test::ArchiveLayout innerAt = test::LayoutOf(inner);
  const test::ArchiveLayout outerAt = test::LayoutOf(outer);
  const std::size_t local = outerAt.localHeaders[0];
  const std::size_t innerStart = local + 30 + GetU16(outer, local + 26) + GetU16(outer, local + 28);
  std::vector<std::uint8_t> record(inner.begin() + static_cast<std::ptrdiff_t>(innerAt.directory),
                                   inner.begin() + static_cast<std::ptrdiff_t>(innerAt.endRecord));
  SetU32(record, 42, static_cast<std::uint32_t>(innerStart));
  outer.insert(outer.begin() + static_cast<std::ptrdiff_t>(outerAt.endRecord), record.begin(), record.end());
  const std::size_t end = outerAt.endRecord + record.size();
  SetU16(outer, end + 8, 2);
  SetU16(outer, end + 10, 2);
  SetU32(outer, end + 12, GetU32(outer, end + 12) + static_cast<std::uint32_t>(record.size()));

  files.AddFile(L"C:\\t.zip", outer);
  ZipHandle zip = ZipOpen(files, L"C:\\t.zip");
  ASSERT_TRUE(zip);
  ZipEntry entry;
  EXPECT_EQ(ZipGetEntry(zip, 0, entry), kZipDamaged);
  EXPECT_EQ(ZipGetEntry(zip, 1, entry), kZipDamaged);
  EXPECT_EQ(entry.name, L"x.txt");
  ASSERT_EQ(ZipSetBaseFolder(zip, L"C:\\out"), kZipOk);
  EXPECT_EQ(ZipExtractEntry(zip, 1, L"x.txt"), kZipDamaged);
  EXPECT_EQ(files.Find(L"C:\\out\\x.txt"), nullptr);
}

TEST(ZipDamage, ArchivesAfterAProgramOrWithACommentOpen) {
  const std::vector<std::uint8_t> archive = TwoEntryArchive();
  std::vector<std::uint8_t> program = test::Bytes("MZ");
  const std::vector<std::uint8_t> body = test::NoiseBytes(5000, 11);
  program.insert(program.end(), body.begin(), body.end());

  // Appended as it is: every offset is off by the program's size.
  std::vector<std::uint8_t> appended = program;
  appended.insert(appended.end(), archive.begin(), archive.end());
  EXPECT_EQ(ExtractAll(appended).codes, (std::vector<int>{kZipOk, kZipOk}));

  // Written after the program, offsets counted from the start of the file.
  MemoryFileSystem files;
  files.AddFile(L"C:\\in\\a.txt", TextContent());
  files.AddFile(L"C:\\in\\b.zip", NoiseContent());
  MemoryByteSink sink;
  sink.Write(program);
  {
    zip::ZipWriter writer(sink, {});
    FileFacts facts;
    auto a = files.OpenFile(L"C:\\in\\a.txt", facts);
    auto b = files.OpenFile(L"C:\\in\\b.zip", facts);
    ASSERT_EQ(writer.Add("a.txt", *a, {}, false), kZipOk);
    ASSERT_EQ(writer.Add("b.zip", *b, {}, true), kZipOk);
    ASSERT_EQ(writer.Finish(), kZipOk);
  }
  EXPECT_EQ(ExtractAll(sink.Bytes()).codes, (std::vector<int>{kZipOk, kZipOk}));

  // A comment, one that looks like an end record inside it, and bytes after
  // the comment (a signature appended to a signed setup program).
  std::vector<std::uint8_t> commented = archive;
  const std::string comment = "Driver package PK\x05\x06 not an end record";
  SetU16(commented, commented.size() - 2, static_cast<std::uint16_t>(comment.size()));
  commented.insert(commented.end(), comment.begin(), comment.end());
  EXPECT_EQ(ExtractAll(commented).codes, (std::vector<int>{kZipOk, kZipOk}));
  std::vector<std::uint8_t> signed_ = commented;
  const std::vector<std::uint8_t> signature = test::NoiseBytes(300, 12);
  signed_.insert(signed_.end(), signature.begin(), signature.end());
  EXPECT_EQ(ExtractAll(signed_).codes, (std::vector<int>{kZipOk, kZipOk}));
}

}  // namespace
}  // namespace velkor
