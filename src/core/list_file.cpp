#include "core/list_file.hpp"

#include "base/byte_stream.hpp"
#include "base/utf.hpp"

namespace velkor {
namespace {

constexpr std::uint8_t kLongLength = 0xFF;        // a longer length field follows
constexpr std::uint16_t kWideMarker = 0xFFFE;     // the string is UTF-16
constexpr std::uint16_t kLength32 = 0xFFFF;       // a 32-bit length follows
constexpr std::uint16_t kMapCount32 = 0xFFFF;     // a 32-bit map count follows

// Reads one length-prefixed string. The wide marker may precede the length once.
bool ReadListString(ByteReader& in, const NarrowTextDecoder& narrow, std::wstring& text) {
  bool wide = false;
  for (;;) {
    std::uint8_t first = 0;
    if (!in.ReadU8(first)) return false;
    std::uint64_t length = first;
    if (first == kLongLength) {
      std::uint16_t second = 0;
      if (!in.ReadU16(second)) return false;
      if (second == kWideMarker) {
        if (wide) return false;  // two markers: not something we ever write
        wide = true;
        continue;
      }
      length = second;
      if (second == kLength32) {
        std::uint32_t third = 0;
        if (!in.ReadU32(third)) return false;
        length = third;
      }
    }
    // Never trust the length: it must fit in what is left of the file.
    const std::uint64_t byte_count = wide ? length * 2 : length;
    if (byte_count > in.Remaining()) return false;
    std::span<const std::uint8_t> bytes;
    if (!in.ReadBytes(static_cast<std::size_t>(byte_count), bytes)) return false;
    text = wide ? FromUtf16Le(bytes) : narrow(bytes);
    return true;
  }
}

}  // namespace

std::wstring DecodeLatin1(std::span<const std::uint8_t> bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (std::uint8_t b : bytes) out.push_back(static_cast<wchar_t>(b));
  return out;
}

void PutListString(std::vector<std::uint8_t>& out, const std::wstring& text) {
  const std::string units = ToUtf16Le(text);
  const std::uint64_t length = units.size() / 2;
  ByteWriter w;
  w.PutU8(kLongLength);
  w.PutU16(kWideMarker);
  if (length < kLongLength) {
    w.PutU8(static_cast<std::uint8_t>(length));
  } else if (length < kWideMarker) {
    w.PutU8(kLongLength);
    w.PutU16(static_cast<std::uint16_t>(length));
  } else {
    w.PutU8(kLongLength);
    w.PutU16(kLength32);
    w.PutU32(static_cast<std::uint32_t>(length));
  }
  const auto& head = w.Bytes();
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), units.begin(), units.end());
}

std::vector<std::uint8_t> EncodeListFile(const StringMap& list) {
  const auto count = static_cast<std::uint32_t>(list.size());
  ByteWriter w;
  w.PutU32(count);
  if (count < kMapCount32) {
    w.PutU16(static_cast<std::uint16_t>(count));
  } else {
    w.PutU16(kMapCount32);
    w.PutU32(count);
  }
  std::vector<std::uint8_t> out = w.Take();
  for (const auto& [key, value] : list) {
    PutListString(out, key);
    PutListString(out, value);
  }
  return out;
}

bool DecodeListFile(std::span<const std::uint8_t> bytes, StringMap& list,
                    const NarrowTextDecoder& narrow) {
  ByteReader in(bytes);
  std::uint32_t ignored_count = 0;
  if (!in.ReadU32(ignored_count)) return false;
  std::uint16_t short_count = 0;
  if (!in.ReadU16(short_count)) return false;
  std::uint32_t count = short_count;
  if (short_count == kMapCount32 && !in.ReadU32(count)) return false;
  if (count > kListEntryLimit) return false;
  // A hostile count cannot make us loop past the data either: every pair needs bytes.
  for (std::uint32_t i = 0; i < count; ++i) {
    std::wstring key;
    std::wstring value;
    if (!ReadListString(in, narrow, key)) return false;
    if (!ReadListString(in, narrow, value)) return false;
    list[std::move(key)] = std::move(value);
  }
  return true;
}

}  // namespace velkor
