#pragma once
// The eight shared fonts of the pages, reached through a small interface so
// that pages take them from the application (or a test) without knowing who
// made them.

#include <windows.h>

#include <string>

#include "platform/unique_handle.hpp"

namespace velkor {

class PageFonts {
 public:
  virtual ~PageFonts() = default;
  // Shared font 1-8; null for any other number.
  virtual HFONT SharedFont(int number) const = 0;
};

// The eight fonts made from one face name: heights -18, -16, -14, -13, -11,
// -11, -11 and -14, weights 700, 700, 500, 700, 400, 700, 700 (underlined) and
// 700, ClearType quality.
class OwnedPageFonts : public PageFonts {
 public:
  explicit OwnedPageFonts(const std::wstring& faceName);
  HFONT SharedFont(int number) const override;

 private:
  UniqueGdiObject fonts_[8];
};

}  // namespace velkor
