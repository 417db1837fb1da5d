#pragma once
// How the skin draws a text into a box of fixed size: it reads whole, or ends
// in an ellipsis, and never shows half a line. A box that holds one line of
// the selected font gets the text on that one line; a taller box wraps it and
// leaves out a last line that would be cut.

#include <windows.h>

#include <string_view>

namespace velkor {

// A text this much wider than its box loses only the blank side of its last
// glyph: it is drawn whole rather than replaced by an ellipsis (a two-digit
// count in its narrow label).
inline constexpr int kTextFitTolerance = 2;

enum class TextLines { ByBox, One };

// DrawText flags for `text` in `box` with the font selected into dc;
// `alignment` adds the horizontal (and, for one line, vertical) placement.
inline UINT FittingTextFormat(HDC dc, const RECT& box, std::wstring_view text, UINT alignment,
                              TextLines lines = TextLines::ByBox) {
  TEXTMETRICW metrics{};
  const int line = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
  const bool oneLine = lines == TextLines::One || line <= 0 || box.bottom - box.top < 2 * line;
  if (!oneLine) return DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | alignment | DT_NOPREFIX;
  SIZE extent{};
  const bool measured =
      GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent) != FALSE;
  const bool nearlyFits = measured && extent.cx <= box.right - box.left + kTextFitTolerance;
  return DT_SINGLELINE | (nearlyFits ? 0u : static_cast<UINT>(DT_END_ELLIPSIS)) | alignment | DT_NOPREFIX;
}

}  // namespace velkor
