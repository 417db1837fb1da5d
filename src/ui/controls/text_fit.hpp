#pragma once
// How the skin draws a text into a box of fixed size: it reads whole, or ends
// in an ellipsis, and never shows half a line. A box that holds one line of
// the selected font gets the text on that one line; a taller box wraps it and
// leaves out a last line that would be cut.

#include <windows.h>

namespace velkor {

// DrawText flags for `box` with the font selected into dc; `alignment` adds
// the horizontal (and, for one line, vertical) placement.
inline UINT FittingTextFormat(HDC dc, const RECT& box, UINT alignment) {
  TEXTMETRICW metrics{};
  const int line = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
  const bool oneLine = line <= 0 || box.bottom - box.top < 2 * line;
  const UINT fit = oneLine ? (DT_SINGLELINE | DT_END_ELLIPSIS) : (DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
  return fit | alignment | DT_NOPREFIX;
}

}  // namespace velkor
