#include "ui/template_layout.hpp"

#include <utility>

#include "base/byte_stream.hpp"

namespace velkor {
namespace {

bool ReadShort(ByteReader& reader, int& value) {
  std::uint16_t raw = 0;
  if (!reader.ReadU16(raw)) return false;
  value = static_cast<std::int16_t>(raw);
  return true;
}

bool ReadRect(ByteReader& reader, TemplateRect& rect) {
  return ReadShort(reader, rect.x) && ReadShort(reader, rect.y) && ReadShort(reader, rect.cx) &&
         ReadShort(reader, rect.cy);
}

// A name or an ordinal: 0x0000 (none), 0xFFFF + ordinal, or a zero-terminated
// UTF-16 string whose first unit is the first character.
bool SkipNameOrOrdinal(ByteReader& reader) {
  std::uint16_t first = 0;
  if (!reader.ReadU16(first)) return false;
  if (first == 0x0000) return true;
  if (first == 0xFFFF) return reader.Skip(2);
  for (std::uint16_t unit = first; unit != 0;) {
    if (!reader.ReadU16(unit)) return false;
  }
  return true;
}

bool SkipString(ByteReader& reader) {
  std::uint16_t unit = 0;
  do {
    if (!reader.ReadU16(unit)) return false;
  } while (unit != 0);
  return true;
}

bool AlignToDword(ByteReader& reader) {
  const std::size_t pad = (4 - reader.Position() % 4) % 4;
  // The last item may end without padding.
  if (reader.Remaining() < pad) return reader.Skip(reader.Remaining());
  return reader.Skip(pad);
}

constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT (and DS_SHELLFONT)

}  // namespace

bool ReadTemplateLayout(std::span<const std::uint8_t> bytes, TemplateLayout& out) {
  ByteReader reader(bytes);
  std::uint16_t version = 0, signature = 0, count = 0;
  std::uint32_t helpId = 0, exStyle = 0, style = 0;
  if (!reader.ReadU16(version) || !reader.ReadU16(signature) || version != 1 || signature != 0xFFFF) {
    return false;
  }
  TemplateLayout layout;
  if (!reader.ReadU32(helpId) || !reader.ReadU32(exStyle) || !reader.ReadU32(style) ||
      !reader.ReadU16(count) || !ReadRect(reader, layout.dialog)) {
    return false;
  }
  if (!SkipNameOrOrdinal(reader) || !SkipNameOrOrdinal(reader) || !SkipString(reader)) return false;
  if (style & kSetFont) {
    // point size, weight, italic and character set, then the face name
    if (!reader.Skip(6) || !SkipString(reader)) return false;
  }
  layout.items.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    TemplateItem item;
    std::uint16_t extra = 0;
    if (!AlignToDword(reader) || !reader.ReadU32(helpId) || !reader.ReadU32(exStyle) ||
        !reader.ReadU32(style) || !ReadRect(reader, item.rect) || !reader.ReadU32(item.id) ||
        !SkipNameOrOrdinal(reader) || !SkipNameOrOrdinal(reader) || !reader.ReadU16(extra) ||
        !reader.Skip(extra)) {
      return false;
    }
    layout.items.push_back(item);
  }
  out = std::move(layout);
  return true;
}

}  // namespace velkor
