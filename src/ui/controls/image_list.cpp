#include "ui/controls/image_list.hpp"

namespace velkor {

UniqueImageList LoadImageStrip(int resourceId, int width, int height, COLORREF maskColor,
                               HINSTANCE module) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  UniqueGdiObject strip(
      LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!strip) return {};
  UniqueImageList list(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 8, 1));
  if (!list) return {};
  if (ImageList_AddMasked(list.get(), static_cast<HBITMAP>(strip.get()), maskColor) < 0) return {};
  return list;
}

}  // namespace velkor
