#pragma once
// The small window update.dll shows while its transfers run: a line of text,
// a progress bar and a Cancel button. RunWithProgress runs the work on a
// thread of its own and pumps the calling thread's messages until it ends, as
// a user expects of a transfer of several megabytes; Cancel (or closing the
// window) calls `cancel` once, from the calling thread.

#include <functional>

#include <windows.h>

namespace velkor::update {

struct ProgressWork {
  // Runs on the worker thread; `report(percent)` may be called from there
  // (-1: size unknown). Its result is RunWithProgress's.
  std::function<bool(const std::function<void(int)>& report)> run;
  std::function<void()> cancel;
};

// Without a window (none could be made) the work runs on the calling thread.
bool RunWithProgress(HWND parent, const ProgressWork& work);

}  // namespace velkor::update
