#include "backup/zip_writer.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>

#include "backup/zip_format.hpp"
#include "base/byte_stream.hpp"

namespace velkor::zip {
namespace {

// Large pieces keep the per-call costs of the sink and of zlib small.
constexpr std::size_t kChunkBytes = 256 * 1024;

// At least what deflate can make of size bytes (zlib's bound is lower), so
// that a local header without ZIP64 fields never has to hold a larger size.
std::uint64_t DeflateBound(std::uint64_t size) { return size + (size >> 11) + 1024; }

std::span<const std::uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

// A deflate stream, reset for each entry rather than made anew: an archive of
// many small files would otherwise spend its time setting streams up.
class ZipWriter::Deflater {
 public:
  explicit Deflater(int level) {
    ok_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() {
    if (ok_) deflateEnd(&stream_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  bool Reset() { return ok_ && deflateReset(&stream_) == Z_OK; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

ZipWriter::ZipWriter(SeekableByteSink& sink, const ZipWriteOptions& options) : sink_(sink), options_(options) {}
ZipWriter::~ZipWriter() = default;

namespace {

// The "UT" extra field: in the local header every known time, in the central
// header the same flags and only the modification time (the field's layout).
struct TimestampField {
  std::uint8_t flags = 0;
  std::array<std::int32_t, 3> seconds{};  // modification, access, creation
  int count = 0;
};

TimestampField MakeTimestampField(const FileTimes& times) {
  TimestampField field;
  const std::array<std::pair<std::uint64_t, std::uint8_t>, 3> known = {{
      {times.modification, kTimestampModification},
      {times.access, kTimestampAccess},
      {times.creation, kTimestampCreation},
  }};
  for (const auto& [ticks, flag] : known) {
    if (ticks == 0) continue;
    const std::optional<std::int32_t> seconds = UnixSecondsFromTicks(ticks);
    if (!seconds) continue;
    field.flags |= flag;
    field.seconds[static_cast<std::size_t>(field.count++)] = *seconds;
  }
  return field;
}

void PutTimestampField(ByteWriter& out, const TimestampField& field, bool central) {
  if (field.flags == 0) return;
  const bool modification = (field.flags & kTimestampModification) != 0;
  const int stored = central ? (modification ? 1 : 0) : field.count;
  out.PutU16(kExtraTimestamp);
  out.PutU16(static_cast<std::uint16_t>(1 + 4 * stored));
  out.PutU8(field.flags);
  for (int i = 0; i < stored; ++i) out.PutU32(static_cast<std::uint32_t>(field.seconds[static_cast<std::size_t>(i)]));
}

std::uint32_t Saturate32(std::uint64_t value, bool saturated) {
  return saturated ? kSaturated32 : static_cast<std::uint32_t>(value);
}

}  // namespace

int ZipWriter::CopyData(ByteSource& data, bool store, std::uint32_t& crc, std::uint64_t& compressedSize) {
  const std::uint64_t size = data.Size();
  if (input_.empty()) input_.resize(kChunkBytes);
  std::vector<std::uint8_t>& input = input_;
  std::vector<std::uint8_t>& output = output_;
  crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
  compressedSize = 0;

  if (!store) {
    if (!deflater_) deflater_ = std::make_unique<Deflater>(options_.level);
    if (!deflater_->Reset()) return kZipWriteFailed;
    if (output.empty()) output.resize(kChunkBytes);
  }
  auto drain = [&](int flush) -> int {
    z_stream& z = deflater_->stream();
    do {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      const int status = deflate(&z, flush);
      if (status == Z_STREAM_ERROR) return kZipWriteFailed;
      const std::size_t produced = output.size() - z.avail_out;
      if (!sink_.Write({output.data(), produced})) return kZipWriteFailed;
      compressedSize += produced;
      if (flush == Z_FINISH && status == Z_STREAM_END) return kZipOk;
    } while (z.avail_out == 0 || flush == Z_FINISH);
    return kZipOk;
  };

  for (std::uint64_t done = 0; done < size;) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, input.size()));
    if (!data.ReadAt(done, {input.data(), piece})) return kZipReadFailed;
    crc = static_cast<std::uint32_t>(crc32(crc, input.data(), static_cast<uInt>(piece)));
    done += piece;
    if (store) {
      if (!sink_.Write({input.data(), piece})) return kZipWriteFailed;
      compressedSize += piece;
      continue;
    }
    z_stream& z = deflater_->stream();
    z.next_in = input.data();
    z.avail_in = static_cast<uInt>(piece);
    if (const int code = drain(Z_NO_FLUSH); code != kZipOk) return code;
  }
  if (!store) return drain(Z_FINISH);
  return kZipOk;
}

int ZipWriter::Add(const std::string& storedName, ByteSource& data, const EntryStamp& stamp, bool store) {
  if (finished_ || storedName.empty() || storedName.size() > kSaturated16) return kZipBadArgument;
  if (broken_) return kZipWriteFailed;

  const std::uint64_t size = data.Size();
  const std::uint64_t offset = sink_.Position();
  const bool zip64Local = NeedsZip64(store ? size : DeflateBound(size));
  const std::uint16_t method = store ? kMethodStored : kMethodDeflated;
  const bool ascii = std::all_of(storedName.begin(), storedName.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::uint16_t flags = ascii ? 0 : kFlagUtf8;
  const TimestampField timestamp = MakeTimestampField(stamp.times);

  ByteWriter extra;
  if (zip64Local) {
    extra.PutU16(kExtraZip64);
    extra.PutU16(16);
    extra.PutU64(0);  // uncompressed size, completed below
    extra.PutU64(0);  // compressed size
  }
  PutTimestampField(extra, timestamp, false);

  ByteWriter header;
  header.PutU32(kLocalHeaderSignature);
  header.PutU16(zip64Local ? kVersionZip64 : (store ? kVersionStored : kVersionDeflated));
  header.PutU16(flags);
  header.PutU16(method);
  header.PutU32(stamp.dosDateTime);
  header.PutU32(0);  // CRC-32, completed below
  header.PutU32(zip64Local ? kSaturated32 : 0);
  header.PutU32(zip64Local ? kSaturated32 : 0);
  header.PutU16(static_cast<std::uint16_t>(storedName.size()));
  header.PutU16(static_cast<std::uint16_t>(extra.Bytes().size()));
  header.PutBytes(AsBytes(storedName));
  header.PutBytes(extra.Bytes());
  if (!sink_.Write(header.Bytes())) {
    broken_ = true;
    return kZipWriteFailed;
  }

  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  if (const int code = CopyData(data, store, crc, compressedSize); code != kZipOk) {
    // What was written stays as unreferenced bytes; the directory never names it.
    if (code == kZipWriteFailed) broken_ = true;
    return code;
  }

  ByteWriter crcField;
  crcField.PutU32(crc);
  bool patched = sink_.WriteAt(offset + 14, crcField.Bytes());
  ByteWriter sizes;
  if (zip64Local) {
    sizes.PutU64(size);
    sizes.PutU64(compressedSize);
    patched = patched && sink_.WriteAt(offset + kLocalHeaderSize + storedName.size() + 4, sizes.Bytes());
  } else {
    if (compressedSize >= kSaturated32 || size >= kSaturated32) return kZipWriteFailed;
    sizes.PutU32(static_cast<std::uint32_t>(compressedSize));
    sizes.PutU32(static_cast<std::uint32_t>(size));
    patched = patched && sink_.WriteAt(offset + 18, sizes.Bytes());
  }
  if (!patched) {
    broken_ = true;
    return kZipWriteFailed;
  }
  entries_.push_back({storedName, flags, method, crc, compressedSize, size, offset, stamp});
  return kZipOk;
}

int ZipWriter::Finish() {
  if (finished_) return kZipBadArgument;
  finished_ = true;
  if (broken_) return kZipWriteFailed;

  const std::uint64_t directoryOffset = sink_.Position();
  for (const Written& entry : entries_) {
    const bool bigUncompressed = NeedsZip64(entry.uncompressedSize);
    const bool bigCompressed = NeedsZip64(entry.compressedSize);
    const bool bigOffset = NeedsZip64(entry.localOffset);
    const bool zip64 = bigUncompressed || bigCompressed || bigOffset;

    ByteWriter extra;
    if (zip64) {
      extra.PutU16(kExtraZip64);
      extra.PutU16(static_cast<std::uint16_t>(8 * (bigUncompressed + bigCompressed + bigOffset)));
      if (bigUncompressed) extra.PutU64(entry.uncompressedSize);
      if (bigCompressed) extra.PutU64(entry.compressedSize);
      if (bigOffset) extra.PutU64(entry.localOffset);
    }
    PutTimestampField(extra, MakeTimestampField(entry.stamp.times), true);

    const std::uint16_t version =
        zip64 ? kVersionZip64 : (entry.method == kMethodStored ? kVersionStored : kVersionDeflated);
    ByteWriter header;
    header.PutU32(kCentralHeaderSignature);
    header.PutU16(std::max(version, kVersionDeflated));  // made by: MS-DOS attributes
    header.PutU16(version);
    header.PutU16(entry.flags);
    header.PutU16(entry.method);
    header.PutU32(entry.stamp.dosDateTime);
    header.PutU32(entry.crc);
    header.PutU32(Saturate32(entry.compressedSize, bigCompressed));
    header.PutU32(Saturate32(entry.uncompressedSize, bigUncompressed));
    header.PutU16(static_cast<std::uint16_t>(entry.name.size()));
    header.PutU16(static_cast<std::uint16_t>(extra.Bytes().size()));
    header.PutU16(0);  // comment
    header.PutU16(0);  // disk
    header.PutU16(0);  // internal attributes
    header.PutU32(entry.stamp.attributes & kArchivedAttributes);
    header.PutU32(Saturate32(entry.localOffset, bigOffset));
    header.PutBytes(AsBytes(entry.name));
    header.PutBytes(extra.Bytes());
    if (!sink_.Write(header.Bytes())) return kZipWriteFailed;
  }
  const std::uint64_t directoryEnd = sink_.Position();
  const std::uint64_t directorySize = directoryEnd - directoryOffset;
  const std::uint64_t count = entries_.size();
  const bool zip64 = count >= kSaturated16 || NeedsZip64(directoryOffset) || NeedsZip64(directorySize);

  ByteWriter end;
  if (zip64) {
    end.PutU32(kZip64EndRecordSignature);
    end.PutU64(kZip64EndRecordSize - 12);  // the record's size after this field
    end.PutU16(kVersionZip64);
    end.PutU16(kVersionZip64);
    end.PutU32(0);  // this disk
    end.PutU32(0);  // disk of the directory
    end.PutU64(count);
    end.PutU64(count);
    end.PutU64(directorySize);
    end.PutU64(directoryOffset);
    end.PutU32(kZip64LocatorSignature);
    end.PutU32(0);
    end.PutU64(directoryEnd);
    end.PutU32(1);  // disks in all
  }
  const auto count16 = static_cast<std::uint16_t>(count >= kSaturated16 ? kSaturated16 : count);
  end.PutU32(kEndRecordSignature);
  end.PutU16(0);
  end.PutU16(0);
  end.PutU16(count16);
  end.PutU16(count16);
  end.PutU32(Saturate32(directorySize, zip64));
  end.PutU32(Saturate32(directoryOffset, zip64));
  end.PutU16(0);  // comment
  if (!sink_.Write(end.Bytes()) || !sink_.Flush()) return kZipWriteFailed;
  return kZipOk;
}

}  // namespace velkor::zip
