#include "backup/backup_index.hpp"
#include "backup_fuzz_inputs.hpp"
#include "base/utf.hpp"

namespace velkor::fuzz {
namespace {

bool SameRecord(const IndexRecord& a, const IndexRecord& b) {
  for (std::wstring DeviceRecord::*field : kIndexTexts) {
    if (a.device.*field != b.device.*field) return false;
  }
  return a.device.Tag == b.device.Tag && a.relativeFolder == b.relativeFolder && a.sequence == b.sequence;
}

std::vector<IndexRecord> ReadAll(std::span<const std::uint8_t> bytes, IndexReadResult& result) {
  std::vector<IndexRecord> records;
  result = ReadIndexRecords(bytes, [&](IndexRecord&& record) {
    records.push_back(std::move(record));
    return true;
  });
  return records;
}

}  // namespace

std::string RunBackupIndexInput(const std::uint8_t* data, std::size_t size) {
  IndexReadResult result{};
  const std::vector<IndexRecord> records = ReadAll({data, size}, result);
  if (result != IndexReadResult::Ok && !records.empty()) return "records from a file that was refused";
  for (const IndexRecord& record : records) {
    for (std::wstring DeviceRecord::*field : kIndexTexts) {
      if (ToUtf16Le(record.device.*field).size() > kMaxIndexTextUnits * 2) return "a text over the limit";
    }
    if (ToUtf16Le(record.relativeFolder).size() > kMaxIndexTextUnits * 2) return "a folder over the limit";
  }

  // What was read, written again, reads back the same: the writer and the
  // reader keep to one rule.
  std::vector<std::uint8_t> again = EncodeIndexHeader();
  for (const IndexRecord& record : records) {
    const std::vector<std::uint8_t> bytes = EncodeIndexRecord(record.device, record.relativeFolder, record.sequence);
    again.insert(again.end(), bytes.begin(), bytes.end());
  }
  IndexReadResult againResult{};
  const std::vector<IndexRecord> back = ReadAll(again, againResult);
  if (againResult != IndexReadResult::Ok || back.size() != records.size()) return "a rewritten index reads differently";
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!SameRecord(records[i], back[i])) return "a rewritten record reads differently";
  }
  MemoryByteSource source(std::span<const std::uint8_t>(again.data(), again.size()));
  if (!records.empty()) {
    if (!IndexHoldsName(&source, records.front().device.Name)) return "the first record's name is not found";
    if (NextSequenceNumber(&source) != records.back().sequence + 1) return "the next number is not the last plus one";
  }
  MemoryByteSource original(std::span<const std::uint8_t>(data, size));
  NextSequenceNumber(&original);
  return {};
}

}  // namespace velkor::fuzz
