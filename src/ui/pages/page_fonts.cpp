#include "ui/pages/page_fonts.hpp"

namespace velkor {

namespace {
struct FontSpec {
  int height, weight;
  bool underline;
};
constexpr FontSpec kSharedFonts[8] = {
    {-18, 700, false}, {-16, 700, false}, {-14, 500, false}, {-13, 700, false},
    {-11, 400, false}, {-11, 700, false}, {-11, 700, true},  {-14, 700, false},
};
}  // namespace

OwnedPageFonts::OwnedPageFonts(const std::wstring& faceName) {
  for (int i = 0; i < 8; ++i) {
    const FontSpec& spec = kSharedFonts[i];
    fonts_[i].reset(CreateFontW(spec.height, 0, 0, 0, spec.weight, FALSE, spec.underline ? TRUE : FALSE,
                                FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceName.c_str()));
  }
}

HFONT OwnedPageFonts::SharedFont(int number) const {
  if (number < 1 || number > 8) return nullptr;
  return static_cast<HFONT>(fonts_[number - 1].get());
}

}  // namespace velkor
