#include "backup/backup_index.hpp"

#include "base/byte_stream.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"
#include "download/folder_name.hpp"

namespace velkor {
namespace {

constexpr std::size_t kHeaderBytes = 4;
// Eleven empty texts, the tag, an empty folder and the sequence number.
constexpr std::size_t kSmallestRecordBytes = kIndexTextCount * 2 + 4 + 2 + 4;

bool IsHighSurrogateUnit(std::uint8_t low, std::uint8_t high) {
  const unsigned unit = static_cast<unsigned>(low) | (static_cast<unsigned>(high) << 8);
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// UTF-16LE bytes cut to at most maxUnits units, never ending in the first
// half of a pair.
std::span<const std::uint8_t> CutUnits(std::span<const std::uint8_t> units, std::size_t maxUnits = kMaxIndexTextUnits) {
  std::size_t size = units.size() & ~std::size_t{1};
  if (size > maxUnits * 2) {
    size = maxUnits * 2;
    if (size >= 2 && IsHighSurrogateUnit(units[size - 2], units[size - 1])) size -= 2;
  }
  return units.first(size);
}

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void PutText(ByteWriter& out, std::wstring_view text) {
  const std::string units = ToUtf16Le(text);
  const std::span<const std::uint8_t> kept = CutUnits(AsBytes(units));
  out.PutU16(static_cast<std::uint16_t>(kept.size() / 2));
  out.PutBytes(kept);
}

bool ReadText(ByteReader& in, std::wstring& text) {
  std::uint16_t length = 0;
  std::span<const std::uint8_t> units;
  if (!in.ReadU16(length) || !in.ReadBytes(std::size_t{length} * 2, units)) return false;
  text = FromUtf16Le(CutUnits(units));
  return true;
}

bool ReadRecord(ByteReader& in, IndexRecord& record) {
  for (std::wstring DeviceRecord::*field : kIndexTexts) {
    if (!ReadText(in, record.device.*field)) return false;
  }
  std::uint32_t tag = 0;
  if (!in.ReadU32(tag) || !ReadText(in, record.relativeFolder) || !in.ReadU32(record.sequence)) return false;
  record.device.Tag = static_cast<std::int32_t>(tag);
  return true;
}

}  // namespace

std::wstring CutToUtf16Units(std::wstring_view text, std::size_t maxUnits) {
  // Through UTF-16 always, so that a text compares with what reading it back
  // gives (an unpaired surrogate reads back as U+FFFD).
  const std::string units = ToUtf16Le(text);
  return FromUtf16Le(CutUnits(AsBytes(units), maxUnits));
}

std::wstring IndexText(std::wstring_view text) { return CutToUtf16Units(text, kMaxIndexTextUnits); }

std::wstring BackupFolderName(std::wstring_view deviceName) {
  // One unit of the relative folder's text is its backslash.
  std::wstring name = CutToUtf16Units(MakeFolderName(Trim(deviceName)), kMaxIndexTextUnits - 1);
  while (!name.empty() && (name.back() == L'.' || IsBlank(name.back()))) name.pop_back();
  return name;
}

std::vector<std::uint8_t> EncodeIndexHeader() {
  ByteWriter out;
  out.PutU32(kIndexHeader);
  return out.Take();
}

std::vector<std::uint8_t> EncodeIndexRecord(const DeviceRecord& device, std::wstring_view relativeFolder,
                                            std::uint32_t sequence) {
  ByteWriter out;
  for (std::wstring DeviceRecord::*field : kIndexTexts) PutText(out, device.*field);
  out.PutU32(static_cast<std::uint32_t>(device.Tag));
  PutText(out, relativeFolder);
  out.PutU32(sequence);
  return out.Take();
}

std::uint32_t NextSequenceNumber(ByteSource* existing) {
  if (existing == nullptr || existing->Size() < kHeaderBytes + kSmallestRecordBytes) return 1;
  std::uint8_t last[4] = {};
  if (!existing->ReadAt(existing->Size() - 4, last)) return 1;
  std::uint32_t sequence = 0;
  ByteReader(last).ReadU32(sequence);
  return sequence + 1;  // wraps at 2^32 like the 32-bit counter it is
}

IndexReadResult ReadIndexRecords(std::span<const std::uint8_t> bytes,
                                 const std::function<bool(IndexRecord&&)>& visit, const IndexReadLimits& limits) {
  if (bytes.size() > limits.maxFileBytes) return IndexReadResult::TooLarge;
  ByteReader in(bytes);
  std::uint32_t header = 0;
  if (!in.ReadU32(header) || header != kIndexHeader) return IndexReadResult::BadHeader;
  for (std::size_t read = 0; read < limits.maxRecords && !in.AtEnd(); ++read) {
    IndexRecord record;
    if (!ReadRecord(in, record)) break;
    if (!visit(std::move(record))) break;
  }
  return IndexReadResult::Ok;
}

IndexReadResult ReadIndexRecords(ByteSource* source, const std::function<bool(IndexRecord&&)>& visit,
                                 const IndexReadLimits& limits) {
  if (source == nullptr) return IndexReadResult::Missing;
  if (source->Size() > limits.maxFileBytes) return IndexReadResult::TooLarge;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source->Size()));
  if (!source->ReadAt(0, bytes)) return IndexReadResult::Missing;
  return ReadIndexRecords(std::span<const std::uint8_t>(bytes), visit, limits);
}

bool IndexHoldsName(ByteSource* source, std::wstring_view name) {
  const std::wstring stored = IndexText(name);
  bool found = false;
  ReadIndexRecords(source, [&](IndexRecord&& record) {
    found = record.device.Name == stored;
    return !found;
  });
  return found;
}

}  // namespace velkor
