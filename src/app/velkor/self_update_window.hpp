#pragma once
// The self-update's messages as the main window shows them: message boxes
// owned by the main window, titled with the application name. The check runs
// on the UI thread, so the boxes are shown directly.

#include <windows.h>

#include <string>

#include "maintenance/self_update.hpp"

namespace velkor {

class WindowSelfUpdateView final : public SelfUpdateView {
 public:
  WindowSelfUpdateView(HWND& owner, std::wstring appName) : owner_(owner), appName_(std::move(appName)) {}

  void ShowConnectionError(const std::wstring& text) override {
    MessageBoxW(owner_, text.c_str(), appName_.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  void ShowNoUpdate(const std::wstring& text) override {
    MessageBoxW(owner_, text.c_str(), appName_.c_str(), MB_OK);
  }
  bool AskToDownload(const std::wstring& text) override {
    return MessageBoxW(owner_, text.c_str(), appName_.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
  }

 private:
  HWND& owner_;
  std::wstring appName_;
};

}  // namespace velkor
