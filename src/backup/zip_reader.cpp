#include "backup/zip_reader.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <optional>

#include "backup/zip_entry_name.hpp"
#include "backup/zip_format.hpp"
#include "base/byte_stream.hpp"
#include "base/utf.hpp"

namespace velkor::zip {
namespace {

// No archive the program meets has a directory near this size (100,000 entries
// with long names take a few megabytes); a larger one is refused rather than
// held in memory.
constexpr std::uint64_t kMaxDirectoryBytes = std::uint64_t{64} << 20;
// Compressed data is read, and decompressed, in pieces of these sizes; large
// pieces keep zlib from copying every byte into its window one small output
// at a time.
constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::size_t kOutputChunk = 256 * 1024;

// Hands bytes on in the pieces in which extracted files are written.
bool WriteInPieces(ByteSink& out, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const std::size_t piece = std::min(bytes.size(), ZipReader::kExtractChunk);
    if (!out.Write(bytes.first(piece))) return false;
    bytes = bytes.subspan(piece);
  }
  return true;
}

bool ReadBytes(ByteSource& source, std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) {
  out.resize(count);
  return source.ReadAt(offset, out);
}

// a + b, or none when it overflows.
std::optional<std::uint64_t> CheckedAdd(std::uint64_t a, std::uint64_t b) {
  if (b > UINT64_MAX - a) return std::nullopt;
  return a + b;
}

// Calls visit(id, data) for each extra field; a field that runs past the end
// ends the walk (what came before it still counts).
template <typename Visit>
void ForEachExtra(std::span<const std::uint8_t> extra, Visit visit) {
  ByteReader in(extra);
  std::uint16_t id = 0;
  std::uint16_t size = 0;
  std::span<const std::uint8_t> data;
  while (in.ReadU16(id) && in.ReadU16(size) && in.ReadBytes(size, data)) visit(id, data);
}

// The "UT" field: a flags byte, then the times its flags name, as far as the
// field holds them (the central header's holds only the modification time).
void ReadTimestampField(std::span<const std::uint8_t> data, FileTimes& times) {
  ByteReader in(data);
  std::uint8_t flags = 0;
  if (!in.ReadU8(flags)) return;
  const std::array<std::pair<std::uint8_t, std::uint64_t*>, 3> fields = {{
      {kTimestampModification, &times.modification},
      {kTimestampAccess, &times.access},
      {kTimestampCreation, &times.creation},
  }};
  for (const auto& [flag, target] : fields) {
    if ((flags & flag) == 0) continue;
    std::uint32_t seconds = 0;
    if (!in.ReadU32(seconds)) return;
    *target = TicksFromUnixSeconds(static_cast<std::int32_t>(seconds));
  }
}

// The NTFS field: four reserved bytes, then tagged attributes; tag 1 holds the
// modification, access and creation file times.
bool ReadNtfsField(std::span<const std::uint8_t> data, FileTimes& times) {
  ByteReader in(data);
  if (!in.Skip(4)) return false;
  std::uint16_t tag = 0;
  std::uint16_t size = 0;
  while (in.ReadU16(tag) && in.ReadU16(size)) {
    if (tag == 1 && size >= 24) {
      FileTimes read;
      if (!in.ReadU64(read.modification) || !in.ReadU64(read.access) || !in.ReadU64(read.creation)) return false;
      times = read;
      return true;
    }
    if (!in.Skip(size)) return false;
  }
  return false;
}

// Exact times from an entry's extra fields: the NTFS field wins over "UT".
void ReadExactTimes(std::span<const std::uint8_t> extra, FileTimes& times) {
  FileTimes timestamp;
  FileTimes ntfs;
  bool haveNtfs = false;
  ForEachExtra(extra, [&](std::uint16_t id, std::span<const std::uint8_t> data) {
    if (id == kExtraTimestamp) ReadTimestampField(data, timestamp);
    if (id == kExtraNtfsTimes) haveNtfs = ReadNtfsField(data, ntfs) || haveNtfs;
  });
  const FileTimes& chosen = haveNtfs ? ntfs : timestamp;
  if (chosen.modification != 0) times.modification = chosen.modification;
  if (chosen.access != 0) times.access = chosen.access;
  if (chosen.creation != 0) times.creation = chosen.creation;
}

enum class Zip64Field { Missing, Complete, Short };

// Replaces the saturated values by those of the ZIP64 field, which holds one
// value for each, in the order given.
Zip64Field ApplyZip64(std::span<const std::uint8_t> extra, std::span<std::uint64_t* const> saturated) {
  Zip64Field result = Zip64Field::Missing;
  ForEachExtra(extra, [&](std::uint16_t id, std::span<const std::uint8_t> data) {
    if (id != kExtraZip64 || result != Zip64Field::Missing) return;
    result = Zip64Field::Complete;
    ByteReader in(data);
    for (std::uint64_t* value : saturated) {
      if (!in.ReadU64(*value)) result = Zip64Field::Short;
    }
  });
  return result;
}

bool HasSignature(ByteSource& source, std::uint64_t offset, std::uint32_t signature) {
  std::vector<std::uint8_t> bytes;
  std::uint32_t found = 0;
  return ReadBytes(source, offset, 4, bytes) && ByteReader(bytes).ReadU32(found) && found == signature;
}

// Offsets in the end records, once found.
struct EndRecord {
  std::uint64_t position = 0;  // where the record (or the ZIP64 end record) starts
  std::uint64_t entries = 0;
  std::uint64_t directorySize = 0;
  std::uint64_t directoryOffset = 0;  // as recorded, relative to the archive's start
  bool multiDisk = false;
};

// The end record closest to the end of the source: preferably one whose
// comment ends exactly at the end, else one whose comment fits (a signature
// appended to a signed setup program follows the archive).
std::optional<std::uint64_t> FindEndRecord(ByteSource& source, std::vector<std::uint8_t>& tail,
                                           std::uint64_t& tailStart) {
  const std::uint64_t size = source.Size();
  const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize));
  tailStart = size - tailSize;
  if (!ReadBytes(source, tailStart, tailSize, tail)) return std::nullopt;
  std::optional<std::size_t> fitting;
  for (std::size_t at = tailSize - kEndRecordSize + 1; at-- > 0;) {
    if (tail[at] != 'P' || tail[at + 1] != 'K' || tail[at + 2] != 5 || tail[at + 3] != 6) continue;
    const std::size_t comment = tail[at + 20] | (static_cast<std::size_t>(tail[at + 21]) << 8);
    if (at + kEndRecordSize + comment == tailSize) return tailStart + at;
    if (!fitting && at + kEndRecordSize + comment <= tailSize) fitting = at;
  }
  if (fitting) return tailStart + *fitting;
  return std::nullopt;
}

// Reads the ZIP64 end record that the locator before the end record names.
// Where a program was put in front of the archive the recorded offset is off
// by the program's size; the record then sits right before the locator.
bool ReadZip64End(ByteSource& source, std::uint64_t locatorPosition, EndRecord& end) {
  std::vector<std::uint8_t> bytes;
  if (!ReadBytes(source, locatorPosition, kZip64LocatorSize, bytes)) return false;
  ByteReader locator(bytes);
  std::uint32_t signature = 0;
  std::uint32_t disk = 0;
  std::uint64_t recorded = 0;
  std::uint32_t disks = 0;
  locator.ReadU32(signature);
  locator.ReadU32(disk);
  locator.ReadU64(recorded);
  locator.ReadU32(disks);
  if (disk != 0 || disks > 1) end.multiDisk = true;

  const std::array<std::optional<std::uint64_t>, 2> candidates = {
      recorded, locatorPosition >= kZip64EndRecordSize ? std::optional(locatorPosition - kZip64EndRecordSize)
                                                       : std::nullopt};
  for (const std::optional<std::uint64_t>& at : candidates) {
    if (!at || *at > locatorPosition || locatorPosition - *at < kZip64EndRecordSize) continue;
    if (!ReadBytes(source, *at, kZip64EndRecordSize, bytes)) continue;
    ByteReader record(bytes);
    std::uint32_t recordSignature = 0;
    std::uint64_t recordSize = 0;
    std::uint32_t thisDisk = 0;
    std::uint32_t directoryDisk = 0;
    std::uint64_t entriesOnDisk = 0;
    record.ReadU32(recordSignature);
    record.ReadU64(recordSize);
    record.Skip(4);  // versions
    record.ReadU32(thisDisk);
    record.ReadU32(directoryDisk);
    record.ReadU64(entriesOnDisk);
    record.ReadU64(end.entries);
    record.ReadU64(end.directorySize);
    record.ReadU64(end.directoryOffset);
    if (recordSignature != kZip64EndRecordSignature) continue;
    if (thisDisk != 0 || directoryDisk != 0 || entriesOnDisk != end.entries) end.multiDisk = true;
    end.position = *at;
    return true;
  }
  return false;
}

}  // namespace

struct ZipReader::Directory {
  std::uint64_t start = 0;  // in the source
  std::uint64_t size = 0;
  std::uint64_t base = 0;  // where the archive starts in the source
  std::uint64_t entries = 0;
};

int ZipReader::Open(ByteSource& source, const ZipReadLimits& limits) {
  source_ = &source;
  entries_.clear();
  const std::uint64_t size = source.Size();
  if (size < kEndRecordSize) return kZipDamaged;

  std::vector<std::uint8_t> tail;
  std::uint64_t tailStart = 0;
  const std::optional<std::uint64_t> endPosition = FindEndRecord(source, tail, tailStart);
  if (!endPosition) return kZipDamaged;
  ByteReader record(std::span<const std::uint8_t>(tail).subspan(static_cast<std::size_t>(*endPosition - tailStart)));
  std::uint16_t disk = 0;
  std::uint16_t directoryDisk = 0;
  std::uint16_t entriesOnDisk = 0;
  std::uint16_t entries = 0;
  std::uint32_t directorySize = 0;
  std::uint32_t directoryOffset = 0;
  record.Skip(4);
  record.ReadU16(disk);
  record.ReadU16(directoryDisk);
  record.ReadU16(entriesOnDisk);
  record.ReadU16(entries);
  record.ReadU32(directorySize);
  record.ReadU32(directoryOffset);

  EndRecord end{*endPosition, entries, directorySize, directoryOffset, false};
  end.multiDisk = (disk != 0 && disk != kSaturated16) || (directoryDisk != 0 && directoryDisk != kSaturated16) ||
                  entriesOnDisk != entries;
  const bool saturated = entries == kSaturated16 || directorySize == kSaturated32 || directoryOffset == kSaturated32 ||
                         disk == kSaturated16;
  if (saturated && *endPosition >= kZip64LocatorSize &&
      HasSignature(source, *endPosition - kZip64LocatorSize, kZip64LocatorSignature)) {
    end.multiDisk = false;
    if (!ReadZip64End(source, *endPosition - kZip64LocatorSize, end)) return kZipDamaged;
  }
  if (end.multiDisk) return kZipUnsupported;
  if (end.entries > limits.maxEntries) return kZipTooLarge;
  if (end.directorySize > kMaxDirectoryBytes) return kZipTooLarge;
  if (end.entries > end.directorySize / kCentralHeaderSize) return kZipDamaged;

  // The directory ends where the end record begins; the difference to its
  // recorded end is the size of whatever precedes the archive (the program of
  // a self-extracting setup). Archives whose offsets count from the start of
  // the whole file are read as they stand.
  const std::optional<std::uint64_t> recordedEnd = CheckedAdd(end.directoryOffset, end.directorySize);
  if (!recordedEnd || *recordedEnd > end.position) return kZipDamaged;
  Directory directory;
  directory.size = end.directorySize;
  directory.entries = end.entries;
  bool located = false;
  for (const std::uint64_t base : {end.position - *recordedEnd, std::uint64_t{0}}) {
    directory.base = base;
    directory.start = base + end.directoryOffset;
    located = directory.entries == 0 || HasSignature(source, directory.start, kCentralHeaderSignature);
    if (located) break;
  }
  if (!located) return kZipDamaged;
  return ReadDirectory(directory, limits);
}

int ZipReader::ReadDirectory(const Directory& directory, const ZipReadLimits& limits) {
  std::vector<std::uint8_t> bytes;
  if (!ReadBytes(*source_, directory.start, static_cast<std::size_t>(directory.size), bytes)) return kZipReadFailed;
  ByteReader in(bytes);
  std::vector<ReaderEntry> entries;
  entries.reserve(static_cast<std::size_t>(directory.entries));
  std::uint64_t total = 0;
  for (std::uint64_t i = 0; i < directory.entries; ++i) {
    std::uint32_t signature = 0;
    std::uint16_t madeBy = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t extraLength = 0;
    std::uint16_t commentLength = 0;
    std::uint16_t disk16 = 0;
    std::uint32_t compressed32 = 0;
    std::uint32_t uncompressed32 = 0;
    std::uint32_t offset32 = 0;
    std::uint32_t external = 0;
    ReaderEntry entry;
    std::span<const std::uint8_t> name;
    std::span<const std::uint8_t> extra;
    const bool complete = in.ReadU32(signature) && signature == kCentralHeaderSignature && in.ReadU16(madeBy) &&
                          in.Skip(2) && in.ReadU16(entry.flags) && in.ReadU16(entry.method) &&
                          in.ReadU32(entry.dosDateTime) && in.ReadU32(entry.crc) && in.ReadU32(compressed32) &&
                          in.ReadU32(uncompressed32) && in.ReadU16(nameLength) && in.ReadU16(extraLength) &&
                          in.ReadU16(commentLength) && in.ReadU16(disk16) && in.Skip(2) && in.ReadU32(external) &&
                          in.ReadU32(offset32) && in.ReadBytes(nameLength, name) && in.ReadBytes(extraLength, extra) &&
                          in.Skip(commentLength);
    if (!complete) return kZipDamaged;
    entry.compressedSize = compressed32;
    entry.uncompressedSize = uncompressed32;
    entry.localOffset = offset32;
    std::uint64_t disk = disk16;
    std::vector<std::uint64_t*> saturated;
    if (uncompressed32 == kSaturated32) saturated.push_back(&entry.uncompressedSize);
    if (compressed32 == kSaturated32) saturated.push_back(&entry.compressedSize);
    if (offset32 == kSaturated32) saturated.push_back(&entry.localOffset);
    if (disk16 == kSaturated16) saturated.push_back(&disk);
    // A saturated value without a ZIP64 field is taken as it stands: it may be
    // the real one in an archive written without ZIP64.
    if (!saturated.empty() && ApplyZip64(extra, saturated) == Zip64Field::Short) entry.problem = kZipDamaged;
    if (disk != 0) entry.problem = kZipUnsupported;

    const std::wstring decoded = FromUtf8({reinterpret_cast<const char*>(name.data()), name.size()});
    entry.name = CleanZipEntryName(decoded);
    const bool trailingSeparator = !decoded.empty() && (decoded.back() == L'/' || decoded.back() == L'\\');
    const bool unixFolder = (madeBy >> 8) == kHostUnix && ((external >> 16) & 0xF000) == 0x4000;
    entry.directory = trailingSeparator || unixFolder || (external & kAttributeDirectory) != 0;
    entry.attributes = (external & kArchivedAttributes & ~kAttributeDirectory) |
                       (entry.directory ? kAttributeDirectory : 0);
    ReadExactTimes(extra, entry.exactTimes);

    if (entry.problem == kZipOk) {
      if ((entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0) {
        entry.problem = kZipUnsupported;
      } else if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
        entry.problem = kZipUnsupported;
      } else if (!IsSafeZipEntryName(entry.name)) {
        entry.problem = kZipUnsafeName;
      }
    }
    const std::optional<std::uint64_t> local = CheckedAdd(directory.base, entry.localOffset);
    if (!local) {
      entry.problem = kZipDamaged;
    } else {
      entry.localOffset = *local;
    }
    const std::optional<std::uint64_t> sum = CheckedAdd(total, entry.uncompressedSize);
    total = sum ? *sum : UINT64_MAX;
    entries.push_back(std::move(entry));
  }

  const std::uint64_t size = source_->Size();
  const std::uint64_t ratioBound = size > UINT64_MAX / std::max<std::uint64_t>(limits.maxRatio, 1)
                                       ? UINT64_MAX
                                       : size * limits.maxRatio;
  if (total > limits.maxTotalBytes || total > std::max(limits.ratioFreeBytes, ratioBound)) return kZipTooLarge;

  entries_ = std::move(entries);
  for (ReaderEntry& entry : entries_) CheckLocalHeader(entry, directory.start);
  MarkOverlaps();
  return kZipOk;
}

void ZipReader::CheckLocalHeader(ReaderEntry& entry, std::uint64_t directoryStart) {
  if (entry.problem == kZipDamaged) return;
  std::vector<std::uint8_t> header;
  if (entry.localOffset > directoryStart || directoryStart - entry.localOffset < kLocalHeaderSize ||
      !ReadBytes(*source_, entry.localOffset, kLocalHeaderSize, header)) {
    entry.problem = kZipDamaged;
    return;
  }
  ByteReader in(header);
  std::uint32_t signature = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressed32 = 0;
  std::uint32_t uncompressed32 = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
  in.ReadU32(signature);
  in.Skip(2);
  in.ReadU16(flags);
  in.ReadU16(method);
  in.Skip(4);
  in.ReadU32(crc);
  in.ReadU32(compressed32);
  in.ReadU32(uncompressed32);
  in.ReadU16(nameLength);
  in.ReadU16(extraLength);
  const std::uint64_t dataOffset = entry.localOffset + kLocalHeaderSize + nameLength + extraLength;
  const std::optional<std::uint64_t> dataEnd = CheckedAdd(dataOffset, entry.compressedSize);
  if (signature != kLocalHeaderSignature || method != entry.method || !dataEnd || *dataEnd > directoryStart) {
    entry.problem = kZipDamaged;
    return;
  }
  std::vector<std::uint8_t> extra;
  if (!ReadBytes(*source_, entry.localOffset + kLocalHeaderSize + nameLength, extraLength, extra)) {
    entry.problem = kZipDamaged;
    return;
  }
  entry.dataOffset = dataOffset;
  // The local header's "UT" field has the access and creation times that the
  // central one leaves out.
  ReadExactTimes(extra, entry.exactTimes);

  if ((flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 && entry.problem == kZipOk) {
    entry.problem = kZipUnsupported;
  }
  if (((flags | entry.flags) & kFlagDataDescriptor) == 0) {
    // Without a data descriptor the local header holds the real values; they
    // must be the directory's.
    std::uint64_t compressed = compressed32;
    std::uint64_t uncompressed = uncompressed32;
    if (compressed32 == kSaturated32 || uncompressed32 == kSaturated32) {
      // A local ZIP64 field holds both sizes.
      const std::array<std::uint64_t*, 2> sizes = {&uncompressed, &compressed};
      if (ApplyZip64(extra, sizes) != Zip64Field::Complete) {
        entry.problem = kZipDamaged;
        return;
      }
    }
    if (crc != entry.crc || compressed != entry.compressedSize || uncompressed != entry.uncompressedSize) {
      entry.problem = kZipDamaged;
      return;
    }
  }
  if (entry.method == kMethodStored && !entry.directory && entry.compressedSize != entry.uncompressedSize) {
    entry.problem = kZipDamaged;
  }
}

void ZipReader::MarkOverlaps() {
  // Each entry's header and data must lie apart from every other's; entries
  // that share bytes (a crafted way to make a small archive expand without
  // bound) are all refused.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].dataOffset != 0) order.push_back(i);
  }
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return entries_[a].localOffset < entries_[b].localOffset; });
  std::uint64_t reach = 0;  // the furthest data end so far
  std::size_t reachOwner = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    ReaderEntry& entry = entries_[order[k]];
    if (k > 0 && entry.localOffset < reach) {
      entry.problem = kZipDamaged;
      entries_[reachOwner].problem = kZipDamaged;
    }
    const std::uint64_t end = entry.dataOffset + entry.compressedSize;
    if (k == 0 || end > reach) {
      reach = end;
      reachOwner = order[k];
    }
  }
}

int ZipReader::Extract(std::size_t index, ByteSink& out) {
  if (index >= entries_.size()) return kZipBadArgument;
  const ReaderEntry& entry = entries_[index];
  if (entry.problem != kZipOk) return entry.problem;
  if (entry.directory) return kZipOk;
  std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
  const int code = entry.method == kMethodStored ? CopyStored(entry, out, crc) : Inflate(entry, out, crc);
  if (code != kZipOk) return code;
  return crc == entry.crc ? kZipOk : kZipBadCrc;
}

int ZipReader::CopyStored(const ReaderEntry& entry, ByteSink& out, std::uint32_t& crc) {
  if (output_.empty()) output_.resize(kOutputChunk);
  std::vector<std::uint8_t>& chunk = output_;
  for (std::uint64_t done = 0; done < entry.uncompressedSize;) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(entry.uncompressedSize - done, chunk.size()));
    if (!source_->ReadAt(entry.dataOffset + done, {chunk.data(), piece})) return kZipReadFailed;
    crc = static_cast<std::uint32_t>(crc32(crc, chunk.data(), static_cast<uInt>(piece)));
    if (!WriteInPieces(out, {chunk.data(), piece})) return kZipWriteFailed;
    done += piece;
  }
  return kZipOk;
}

// An inflate stream, reset for each entry rather than made anew.
class ZipReader::Inflater {
 public:
  Inflater() { ok_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  bool Reset() { return ok_ && inflateReset(&stream_) == Z_OK; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;

int ZipReader::Inflate(const ReaderEntry& entry, ByteSink& out, std::uint32_t& crc) {
  if (!inflater_) inflater_ = std::make_unique<Inflater>();
  if (!inflater_->Reset()) return kZipBadData;
  z_stream& z = inflater_->stream();
  z.avail_in = 0;
  if (input_.empty()) input_.resize(kInputChunk);
  if (output_.empty()) output_.resize(kOutputChunk);
  std::vector<std::uint8_t>& input = input_;
  std::vector<std::uint8_t>& output = output_;
  std::uint64_t consumed = 0;  // compressed bytes handed to zlib
  std::uint64_t produced = 0;
  for (;;) {
    if (z.avail_in == 0 && consumed < entry.compressedSize) {
      const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(entry.compressedSize - consumed, input.size()));
      if (!source_->ReadAt(entry.dataOffset + consumed, {input.data(), piece})) return kZipReadFailed;
      consumed += piece;
      z.next_in = input.data();
      z.avail_in = static_cast<uInt>(piece);
    }
    z.next_out = output.data();
    z.avail_out = static_cast<uInt>(output.size());
    const int status = inflate(&z, Z_NO_FLUSH);
    const std::size_t made = output.size() - z.avail_out;
    if (status != Z_OK && status != Z_STREAM_END && !(status == Z_BUF_ERROR && made == 0)) return kZipBadData;
    if (made > entry.uncompressedSize - produced) return kZipBadData;  // more than the entry's size
    produced += made;
    crc = static_cast<std::uint32_t>(crc32(crc, output.data(), static_cast<uInt>(made)));
    if (!WriteInPieces(out, {output.data(), made})) return kZipWriteFailed;
    if (status == Z_STREAM_END) break;
    // No output and no input left: the data ends before its stream does.
    if (made == 0 && z.avail_in == 0 && consumed == entry.compressedSize) return kZipBadData;
  }
  return produced == entry.uncompressedSize ? kZipOk : kZipBadData;
}

}  // namespace velkor::zip
