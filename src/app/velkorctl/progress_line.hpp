#pragma once
// A page's status and device labels on standard error: texts as lines, the
// current device with the percentage redrawn in place while standard error is
// a console window (one line per device otherwise).

#include <cstddef>
#include <string>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

class ProgressLine {
 public:
  explicit ProgressLine(const Console& console) : console_(console) {}

  // A line of its own (an empty text writes nothing).
  void Line(const std::wstring& text) {
    if (text.empty()) return;
    Finish();
    console_.Err(text + L"\n");
  }
  // The current device.
  void Device(const std::wstring& text) {
    device_ = text;
    if (console_.ErrIsConsole()) {
      Redraw();
    } else if (!text.empty()) {
      console_.Err(L"  " + text + L"\n");
    }
  }
  void Percent(int percent) {
    if (percent == percent_) return;
    percent_ = percent;
    if (console_.ErrIsConsole() && open_) Redraw();
  }
  // Ends a device line that was drawn in place.
  void Finish() {
    if (!open_) return;
    console_.Err(L"\n");
    open_ = false;
  }

 private:
  static constexpr std::size_t kWidth = 78;

  void Redraw() {
    if (device_.empty() && !open_) return;
    std::wstring line = L"[" + std::to_wstring(percent_) + L"%] " + device_;
    if (line.size() > kWidth) line.resize(kWidth);
    line.resize(kWidth, L' ');
    console_.Err(L"\r" + line);
    open_ = true;
  }

  const Console& console_;
  std::wstring device_;
  int percent_ = 0;
  bool open_ = false;
};

}  // namespace velkor::ctl
