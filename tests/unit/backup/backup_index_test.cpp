// The backup index: its bytes, reading back what was written, texts over the
// limit, damaged and cut files, the sequence number of the next record, and
// the names of device folders.

#include <gtest/gtest.h>

#include "backup/backup_index.hpp"
#include "base/utf.hpp"

namespace velkor {
namespace {

using Bytes = std::vector<std::uint8_t>;

DeviceRecord Device(const std::wstring& name) {
  DeviceRecord d;
  d.Name = name;
  d.InfPath = L"oem3.inf";
  d.DriverVersion = L"6.14.10.9371";
  d.ClassDescription = L"Display adapters";
  d.Provider = L"NVIDIA";
  d.HardwareId = L"PCI\\VEN_10DE&DEV_0191";
  d.DriverKey = L"{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";
  d.DriverDate = L"11-2-2006";
  d.Service = L"nv";
  d.Signer = L"NVIDIA Corporation";
  return d;
}

Bytes File(const std::vector<std::pair<DeviceRecord, std::wstring>>& records) {
  Bytes file = EncodeIndexHeader();
  std::uint32_t sequence = 1;
  for (const auto& [device, folder] : records) {
    const Bytes record = EncodeIndexRecord(device, folder, sequence++);
    file.insert(file.end(), record.begin(), record.end());
  }
  return file;
}

std::vector<IndexRecord> ReadAll(const Bytes& bytes, IndexReadResult* result = nullptr,
                                 const IndexReadLimits& limits = {}) {
  std::vector<IndexRecord> records;
  const IndexReadResult r = ReadIndexRecords(std::span<const std::uint8_t>(bytes), [&](IndexRecord&& record) {
    records.push_back(std::move(record));
    return true;
  }, limits);
  if (result != nullptr) *result = r;
  return records;
}

std::size_t Units(const std::wstring& text) { return ToUtf16Le(text).size() / 2; }

TEST(BackupIndex, RecordBytesAsTheFormatLaysThemOut) {
  DeviceRecord d;
  d.Name = L"Ab";
  d.Signer = L"\u00e9";
  d.Tag = 7;
  const Bytes expected = {
      11, 0, 0, 0,                    // header
      2, 0, 'A', 0, 'b', 0,           // Name
      0, 0, 0, 0, 0, 0, 0, 0,         // InfPath, DriverVersion, ClassDescription, Spare
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // Provider, HardwareId, DriverKey, DriverDate, Service
      1, 0, 0xe9, 0,                  // Signer
      7, 0, 0, 0,                     // Tag
      3, 0, 'A', 0, 'b', 0, '\\', 0,  // relative folder
      1, 0, 0, 0,                     // sequence number
  };
  EXPECT_EQ(File({{d, L"Ab\\"}}), expected);
}

TEST(BackupIndex, RecordsReadBackAsWritten) {
  DeviceRecord nvidia = Device(L"NVIDIA GeForce 7300 GS");
  DeviceRecord odd = Device(L"Ger\u00e4t \U0001F5A8 mit Namen");  // a character outside the basic plane
  odd.Spare = L"spare";
  odd.Tag = -1;
  const std::vector<IndexRecord> records = ReadAll(File({{nvidia, L"NVIDIA GeForce 7300 GS\\"}, {odd, L"x\\"}}));
  ASSERT_EQ(records.size(), 2u);
  for (std::wstring DeviceRecord::*field : kIndexTexts) {
    EXPECT_EQ(records[0].device.*field, nvidia.*field);
    EXPECT_EQ(records[1].device.*field, odd.*field);
  }
  EXPECT_EQ(records[1].device.Tag, -1);
  EXPECT_EQ(records[0].relativeFolder, L"NVIDIA GeForce 7300 GS\\");
  EXPECT_EQ(records[0].sequence, 1u);
  EXPECT_EQ(records[1].sequence, 2u);
}

// Texts over the limit are cut to it when written, and a longer text that
// another writer stored is cut the same way when read, the reader staying in
// step with the records after it.
TEST(BackupIndex, TextsOverTheLimitAreCutOnBothSides) {
  const std::wstring pair = L"\U0001F5A8";  // two UTF-16 units
  struct Case {
    std::wstring text;
    std::size_t keptUnits;
  } cases[] = {
      {std::wstring(258, L'a'), 258},
      {std::wstring(259, L'a'), 259},
      {std::wstring(260, L'a'), 259},
      {std::wstring(4000, L'a'), 259},
      {std::wstring(258, L'a') + pair, 258},  // the pair would be split: it goes whole
      {std::wstring(257, L'a') + pair, 259},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Units(IndexText(c.text)), c.keptUnits) << c.text.size();
    DeviceRecord d = Device(c.text);
    d.HardwareId = c.text;
    const std::vector<IndexRecord> records = ReadAll(File({{d, L"f\\"}, {Device(L"next"), L"g\\"}}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].device.Name, IndexText(c.text));
    EXPECT_EQ(records[0].device.HardwareId, IndexText(c.text));
    EXPECT_EQ(records[1].device.Name, L"next");
  }

  // A record with a 300-unit name as another writer could store it.
  Bytes file = EncodeIndexHeader();
  file.insert(file.end(), {44, 1});  // 300
  for (int i = 0; i < 300; ++i) file.insert(file.end(), {'z', 0});
  const Bytes rest = EncodeIndexRecord(Device(L""), L"long\\", 1);
  file.insert(file.end(), rest.begin() + 2, rest.end());  // the rest of a record after its empty name
  const Bytes second = EncodeIndexRecord(Device(L"second"), L"s\\", 2);
  file.insert(file.end(), second.begin(), second.end());
  const std::vector<IndexRecord> records = ReadAll(file);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].device.Name, std::wstring(259, L'z'));
  EXPECT_EQ(records[0].relativeFolder, L"long\\");
  EXPECT_EQ(records[1].device.Name, L"second");
}

TEST(BackupIndex, DamagedAndCutFiles) {
  const Bytes whole = File({{Device(L"one"), L"one\\"}, {Device(L"two"), L"two\\"}});
  const std::size_t firstEnd = EncodeIndexHeader().size() + EncodeIndexRecord(Device(L"one"), L"one\\", 1).size();
  // Cut at every byte: only whole records count, and nothing fails.
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    IndexReadResult result{};
    const std::vector<IndexRecord> records = ReadAll(Bytes(whole.begin(), whole.begin() + size), &result);
    EXPECT_EQ(result, size < 4 ? IndexReadResult::BadHeader : IndexReadResult::Ok) << size;
    const std::size_t expected = size == whole.size() ? 2 : (size >= firstEnd ? 1 : 0);
    EXPECT_EQ(records.size(), expected) << size;
  }
  Bytes wrongHeader = whole;
  wrongHeader[0] = 12;
  IndexReadResult result{};
  EXPECT_TRUE(ReadAll(wrongHeader, &result).empty());
  EXPECT_EQ(result, IndexReadResult::BadHeader);
  EXPECT_EQ(ReadIndexRecords(nullptr, [](IndexRecord&&) { return true; }), IndexReadResult::Missing);

  // A length that runs past the end is a cut record, not a read past it.
  Bytes hostile = EncodeIndexHeader();
  hostile.insert(hostile.end(), {0xff, 0xff, 'a', 0});
  EXPECT_TRUE(ReadAll(hostile).empty());

  IndexReadLimits limits;
  limits.maxRecords = 1;
  EXPECT_EQ(ReadAll(whole, nullptr, limits).size(), 1u);
  limits.maxFileBytes = whole.size() - 1;
  EXPECT_TRUE(ReadAll(whole, &result, limits).empty());
  EXPECT_EQ(result, IndexReadResult::TooLarge);
}

TEST(BackupIndex, NextSequenceNumberFromTheLastFourBytes) {
  const Bytes one = File({{Device(L"one"), L"one\\"}});
  Bytes three = File({{Device(L"a"), L"a\\"}, {Device(L"b"), L"b\\"}, {Device(L"c"), L"c\\"}});
  struct Case {
    Bytes bytes;
    std::uint32_t next;
  } cases[] = {
      {{}, 1},
      {EncodeIndexHeader(), 1},  // the header's 11 is no sequence number
      {one, 2},
      {three, 4},
  };
  EXPECT_EQ(NextSequenceNumber(nullptr), 1u);
  for (const Case& c : cases) {
    MemoryByteSource source(std::span<const std::uint8_t>(c.bytes));
    EXPECT_EQ(NextSequenceNumber(&source), c.next) << c.bytes.size();
  }
}

TEST(BackupIndex, HoldsNameComparesAsStored) {
  const std::wstring longName(300, L'n');
  const Bytes file = File({{Device(L"Disk drive"), L"Disk drive\\"}, {Device(longName), L"n\\"}});
  MemoryByteSource source(std::span<const std::uint8_t>(file.data(), file.size()));
  EXPECT_TRUE(IndexHoldsName(&source, L"Disk drive"));
  EXPECT_FALSE(IndexHoldsName(&source, L"disk drive"));  // letter case counts
  EXPECT_FALSE(IndexHoldsName(&source, L"Disk"));
  EXPECT_TRUE(IndexHoldsName(&source, longName));  // both cut the same way
  EXPECT_FALSE(IndexHoldsName(nullptr, L"Disk drive"));
}

TEST(BackupIndex, DeviceFolderNames) {
  const struct {
    std::wstring name;
    std::wstring folder;
  } cases[] = {
      {L"NVIDIA GeForce 7300 GS", L"NVIDIA GeForce 7300 GS"},
      {L"A/B C", L"AB C"},
      {L"A/B: C", L"AB C"},
      {L"  Realtek  ", L"Realtek"},
      {L"Card reader /", L"Card reader"},  // the system would drop the blank
      {L"Dev. ..", L"Dev"},
      {L"???", L"_"},  // never the backup folder itself
      {std::wstring(400, L'x'), std::wstring(258, L'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(BackupFolderName(c.name), c.folder) << c.name.size();
}

}  // namespace
}  // namespace velkor
