#include "ui/button_frames.hpp"

namespace velkor {

int FrameForHoverButton(const ButtonLook& look) {
  if (look.pressed) return kFramePressed;
  if (look.hovered || look.sticky) return kFrameHover;
  return kFrameNormal;
}

int FrameForCustomHoverButton(const ButtonLook& look) {
  if (look.pressed || look.latched) return kFramePressed;
  if (look.hovered || look.focused || look.sticky) return kFrameHover;
  return kFrameNormal;
}

int FrameForHoverButton4S(const ButtonLook& look) {
  if (look.disabled) return kFrameDisabled;
  return FrameForHoverButton(look);
}

int StripFrameWidth(int stripWidth, int frameCount) {
  if (frameCount <= 0 || stripWidth <= 0) return 0;
  return stripWidth / frameCount;
}

}  // namespace velkor
