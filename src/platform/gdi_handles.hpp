#pragma once
// Move-only owners of the drawing resources that the skinned controls use:
// memory DCs, a window's DC, an object selected into a DC, icons. Each gives
// back what it took on every path; copying does not compile.

#include <windows.h>

#include <utility>

#include "platform/unique_handle.hpp"

namespace velkor {

struct MemoryDcTraits {
  using value_type = HDC;
  static HDC Invalid() noexcept { return nullptr; }
  static bool IsValid(HDC h) noexcept { return h != nullptr; }
  static void Close(HDC h) noexcept { ::DeleteDC(h); }
};

struct IconTraits {
  using value_type = HICON;
  static HICON Invalid() noexcept { return nullptr; }
  static bool IsValid(HICON h) noexcept { return h != nullptr; }
  static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};

// A DC from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

// The DC of a window (GetDC), released to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(WindowDc&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&&) = delete;
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for the owner's lifetime; the DC's previous
// object is selected back at the end. A null object selects nothing.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectedObject(SelectedObject&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), old_(std::exchange(other.old_, nullptr)) {}
  SelectedObject& operator=(SelectedObject&&) = delete;
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A bitmap selected into a memory DC of its own, compatible with `target`:
// the source for copying the bitmap (or a part of it) onto the target.
class BitmapSource {
 public:
  BitmapSource(HDC target, HBITMAP bitmap)
      : memory_(::CreateCompatibleDC(target)), selected_(memory_.get(), bitmap) {}
  HDC dc() const { return memory_.get(); }
  explicit operator bool() const { return static_cast<bool>(memory_); }

 private:
  UniqueMemoryDc memory_;
  SelectedObject selected_;  // released before the DC
};

// Copies width x height pixels of `bitmap` from (sourceX, sourceY) to (x, y) of `target`.
inline bool CopyBitmap(HDC target, HBITMAP bitmap, int x, int y, int width, int height, int sourceX = 0,
                       int sourceY = 0) {
  const BitmapSource source(target, bitmap);
  return source && ::BitBlt(target, x, y, width, height, source.dc(), sourceX, sourceY, SRCCOPY) != FALSE;
}

}  // namespace velkor
