#pragma once
// Our dialog templates are laid out in pixels, not in dialog units: the skin's
// pieces are pixel-exact and must not move with the dialog font of the system.
// Windows scales template numbers by the font, so each page reads its own
// template back and places every control at the template's numbers as pixels.
// This reader takes the extended template format (DIALOGEX) only.

#include <cstdint>
#include <span>
#include <vector>

namespace velkor {

struct TemplateRect {
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct TemplateItem {
  std::uint32_t id = 0;
  TemplateRect rect;
};

struct TemplateLayout {
  TemplateRect dialog;
  std::vector<TemplateItem> items;
};

// Reads the geometry of a DIALOGEX template. Returns false (and leaves `out`
// untouched) for any other format or a template that ends early.
bool ReadTemplateLayout(std::span<const std::uint8_t> bytes, TemplateLayout& out);

}  // namespace velkor
