#pragma once
// Which frame of its bitmap strip a skinned button shows. Kept apart from the
// drawing code so that the rules are plain functions of the button's state.

namespace velkor {

// Frame order in every strip.
enum ButtonFrame : int { kFrameNormal = 0, kFramePressed = 1, kFrameHover = 2, kFrameDisabled = 3 };

struct ButtonLook {
  bool pressed = false;   // the system reports the button pushed
  bool hovered = false;   // the mouse is over it
  bool sticky = false;    // sticky hover: drawn hovered whenever not pressed
  bool latched = false;   // selected navigation button: drawn pressed
  bool focused = false;
  bool disabled = false;
};

// Three-frame picture button: pressed, else hover (hovered or sticky), else normal.
int FrameForHoverButton(const ButtonLook& look);
// Three-frame navigation button: pressed or latched, else hovered, focused or
// sticky, else normal.
int FrameForCustomHoverButton(const ButtonLook& look);
// Four-frame picture button: disabled wins over everything, even the mouse.
int FrameForHoverButton4S(const ButtonLook& look);

// Frame width of a strip: integer division of the strip's width. A strip
// narrower than its frame count gives width 0 (nothing is drawn).
int StripFrameWidth(int stripWidth, int frameCount);

}  // namespace velkor
