#pragma once
// The eight fonts every page draws with, created once at start.

#include <windows.h>

#include <array>
#include <string>

#include "platform/unique_handle.hpp"

namespace velkor {

// "Segoe UI" when the Windows folder has FONTS\SEGOEUI.TTF, otherwise "Tahoma".
std::wstring ChooseInterfaceFace(const std::wstring& windows_folder);

struct FontSpec {
  int height;  // logical units, negative: character height
  int weight;
  bool underline;
};
inline constexpr std::array<FontSpec, 8> kSharedFontSpecs = {{
    {-18, 700, false},
    {-16, 700, false},
    {-14, 500, false},
    {-13, 700, false},
    {-11, 400, false},
    {-11, 700, false},
    {-11, 700, true},
    {-14, 700, false},
}};

class CSharedFonts {
 public:
  // Creates the fonts with the face; a font that cannot be made stays null and
  // the control keeps its default font.
  void Create(const std::wstring& face);
  // Font 1 to 8; null outside that range.
  HFONT Get(int number) const;

 private:
  std::array<UniqueGdiObject, 8> fonts_;
};

}  // namespace velkor
