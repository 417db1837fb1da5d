#pragma once
// Which of the eight shared fonts a page text style draws with.

namespace velkor {

// Returns the shared font number (1-8) for a style, or 0 when the style uses
// the font the caller passes.
int SharedFontForStyle(int style, bool underline);

}  // namespace velkor
