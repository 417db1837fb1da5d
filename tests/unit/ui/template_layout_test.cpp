#include "ui/template_layout.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_stream.hpp"
#include "ui/page_text_style.hpp"

namespace velkor {
namespace {

void PutText(ByteWriter& out, const std::u16string& text) {
  for (char16_t unit : text) out.PutU16(unit);
  out.PutU16(0);
}

void Align(ByteWriter& out) {
  while (out.Bytes().size() % 4 != 0) out.PutU8(0);
}

// A DIALOGEX template as the resource compiler writes it: a font, one control
// with a class name and a title, one with ordinal class and title and creation
// data.
std::vector<std::uint8_t> SampleTemplate() {
  ByteWriter out;
  out.PutU16(1);
  out.PutU16(0xFFFF);
  out.PutU32(0);           // help id
  out.PutU32(0);           // extended style
  out.PutU32(0x40 | 0x4);  // DS_SETFONT | DS_CONTROL
  out.PutU16(2);
  for (int v : {0, 0, 743, 452}) out.PutU16(static_cast<std::uint16_t>(v));
  out.PutU16(0);  // no menu
  out.PutU16(0);  // default class
  PutText(out, u"Page");
  out.PutU16(8);
  out.PutU16(400);
  out.PutU8(0);
  out.PutU8(1);
  PutText(out, u"MS Shell Dlg");

  Align(out);
  out.PutU32(0);
  out.PutU32(0);
  out.PutU32(0x50000000);
  for (int v : {410, 280, 268, 89}) out.PutU16(static_cast<std::uint16_t>(v));
  out.PutU32(1001);
  PutText(out, u"Button");
  PutText(out, u"Scan Now");
  out.PutU16(0);

  Align(out);
  out.PutU32(0);
  out.PutU32(0);
  out.PutU32(0x50000000);
  for (int v : {-5, 52, 220, 20}) out.PutU16(static_cast<std::uint16_t>(v));
  out.PutU32(1073);
  out.PutU16(0xFFFF);
  out.PutU16(0x0082);  // static
  out.PutU16(0xFFFF);
  out.PutU16(7);  // title by ordinal
  out.PutU16(3);  // creation data
  out.PutU8(1);
  out.PutU8(2);
  out.PutU8(3);
  return out.Take();
}

TEST(TemplateLayout, ReadsDialogAndEveryControl) {
  TemplateLayout layout;
  ASSERT_TRUE(ReadTemplateLayout(SampleTemplate(), layout));
  EXPECT_EQ(layout.dialog.cx, 743);
  EXPECT_EQ(layout.dialog.cy, 452);
  ASSERT_EQ(layout.items.size(), 2u);
  EXPECT_EQ(layout.items[0].id, 1001u);
  EXPECT_EQ(layout.items[0].rect.x, 410);
  EXPECT_EQ(layout.items[0].rect.cy, 89);
  EXPECT_EQ(layout.items[1].id, 1073u);
  EXPECT_EQ(layout.items[1].rect.x, -5);  // coordinates are signed
  EXPECT_EQ(layout.items[1].rect.cx, 220);
}

TEST(TemplateLayout, RefusesEveryTruncationAndOtherFormats) {
  const std::vector<std::uint8_t> whole = SampleTemplate();
  TemplateLayout layout;
  layout.dialog.cx = 77;
  // The final padding is optional, so only cuts inside the last control's data
  // and before it must fail.
  for (std::size_t size = 0; size + 1 < whole.size(); ++size) {
    std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ReadTemplateLayout(cut, layout)) << size;
  }
  EXPECT_EQ(layout.dialog.cx, 77);  // untouched on failure
  std::vector<std::uint8_t> classic = whole;
  classic[2] = 0;  // not the extended signature
  EXPECT_FALSE(ReadTemplateLayout(classic, layout));
}

TEST(PageTextStyle, StyleToSharedFontTable) {
  struct Case {
    int style;
    bool underline;
    int font;
  };
  const Case cases[] = {{0, false, 1}, {1, false, 3}, {2, false, 4}, {3, false, 2}, {4, false, 5},
                        {4, true, 7},  {6, false, 6}, {6, true, 6},  {5, false, 0}, {-1, false, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(SharedFontForStyle(c.style, c.underline), c.font) << c.style << " " << c.underline;
  }
}

}  // namespace
}  // namespace velkor
