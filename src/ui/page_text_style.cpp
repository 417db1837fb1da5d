#include "ui/page_text_style.hpp"

namespace velkor {

int SharedFontForStyle(int style, bool underline) {
  switch (style) {
    case 0: return 1;  // -18, bold: big figures
    case 1: return 3;  // -14, medium
    case 2: return 4;  // -13, bold
    case 3: return 2;  // -16, bold: page headings
    case 4: return underline ? 7 : 5;  // -11 body text, or its bold underlined link form
    case 6: return 6;  // -11, bold
    default: return 0;
  }
}

}  // namespace velkor
