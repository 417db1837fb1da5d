#pragma once
// Owner of a common-controls image list.

#include <windows.h>
#include <commctrl.h>

#include "platform/unique_handle.hpp"

namespace velkor {

struct ImageListTraits {
  using value_type = HIMAGELIST;
  static HIMAGELIST Invalid() noexcept { return nullptr; }
  static bool IsValid(HIMAGELIST h) noexcept { return h != nullptr; }
  static void Close(HIMAGELIST h) noexcept { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<ImageListTraits>;

// An image list of `width` by `height` images, 32-bit with a mask, from a
// bitmap resource strip; `maskColor` is transparent. Empty on failure.
UniqueImageList LoadImageStrip(int resourceId, int width, int height, COLORREF maskColor,
                               HINSTANCE module = nullptr);

}  // namespace velkor
