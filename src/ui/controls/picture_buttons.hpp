#pragma once
// The picture-button family: owner-drawn buttons whose looks are frames of one
// bitmap strip (normal, pressed, hover, and for four-frame buttons disabled).

#include <string>

#include "platform/unique_handle.hpp"
#include "ui/button_frames.hpp"
#include "ui/controls/skin_control.hpp"

namespace velkor {

// Face name of the skin's own fonts; the application sets it once at start.
const std::wstring& SkinFaceName();
void SetSkinFaceName(std::wstring faceName);

class CHoverButton : public CSkinControl {
 public:
  explicit CHoverButton(int frameCount = 3) : frameCount_(frameCount) {}

  // Loads the strip (a bitmap resource of `module`, by number) and resizes the
  // button to one frame without moving it. False when the resource is missing.
  bool LoadStrip(int resourceId, HINSTANCE module = nullptr);
  // Takes a strip made elsewhere (the same resizing applies).
  bool SetStrip(UniqueGdiObject strip);

  void SetStickyHover(bool sticky);
  bool stickyHover() const { return sticky_; }
  bool hovered() const { return hover_.hovered(); }
  int frameWidth() const { return frameWidth_; }
  int frameHeight() const { return frameHeight_; }
  int frameCount() const { return frameCount_; }
  // The frame the last paint drew (-1 before the first).
  int lastFrame() const { return lastFrame_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  // Picks the frame for this paint and applies the class's flag rules.
  virtual int ChooseFrame(const DRAWITEMSTRUCT& item);
  // Drawn over the frame (captions).
  virtual void DrawOver(HDC, const RECT&, const DRAWITEMSTRUCT&) {}
  ButtonLook LookOf(const DRAWITEMSTRUCT& item) const;
  void ClearHover() { hover_.ClearHover(); }

 private:
  void Draw(const DRAWITEMSTRUCT& item);

  int frameCount_;
  UniqueGdiObject strip_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool sticky_ = false;
  int lastFrame_ = -1;
  HoverTracker hover_;
};

// Three frames; the selected navigation button is latched (drawn pressed), and
// the caption can be the window text over the frame.
class CCustomHoverButton : public CHoverButton {
 public:
  CCustomHoverButton() : CHoverButton(3) {}
  void SetLatched(bool latched);
  bool latched() const { return latched_; }
  void SetCaption(bool caption, bool darkCaption = false);

 protected:
  int ChooseFrame(const DRAWITEMSTRUCT& item) override;
  void DrawOver(HDC dc, const RECT& rect, const DRAWITEMSTRUCT& item) override;

 private:
  bool latched_ = false;
  bool caption_ = false;
  bool darkCaption_ = false;
};

class CHoverButton4S : public CHoverButton {
 public:
  CHoverButton4S() : CHoverButton(4) {}

 protected:
  int ChooseFrame(const DRAWITEMSTRUCT& item) override;
};

// Four frames and the window text in the skin's caption font.
class CHoverButton4SWithText : public CHoverButton4S {
 public:
  struct Style {
    bool big = false;
    bool bold = false;
    bool boldOnHover = false;
    bool underlineOnHover = false;
    bool shadow = false;
  };
  void SetStyle(const Style& style);

 protected:
  void DrawOver(HDC dc, const RECT& rect, const DRAWITEMSTRUCT& item) override;

 private:
  Style style_;
};

}  // namespace velkor
