#include "core/single_instance.hpp"

namespace velkor {

CInstanceMutex::CInstanceMutex(const wchar_t* name) {
  m_hMutex.reset(CreateMutexW(nullptr, TRUE, name));
  m_bAlreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
  // Owned only when we created it; releasing a mutex we do not own just fails.
  if (m_hMutex && !m_bAlreadyRunning) ReleaseMutex(m_hMutex.get());
}

UINT BringToFrontMessage() {
  static const UINT message = RegisterWindowMessageW(kBringToFrontMessageName);
  return message;
}

bool SignalRunningInstance() {
  const HWND window = FindWindowW(kMainWindowClass, kMainWindowTitle);
  if (window == nullptr || !IsWindow(window)) return false;
  const ATOM marker = GlobalAddAtomW(kAlreadyRunningMarker);
  if (PostMessageW(window, BringToFrontMessage(), marker, 0)) return true;
  if (marker != 0) GlobalDeleteAtom(marker);
  return false;
}

std::wstring TakeBringToFrontMarker(WPARAM wparam) {
  const ATOM atom = static_cast<ATOM>(wparam);
  if (atom == 0 || wparam > 0xFFFF) return {};
  wchar_t name[64] = {};
  const UINT length = GlobalGetAtomNameW(atom, name, 64);
  if (length == 0) return {};
  std::wstring marker(name, length);
  // Release only the reference that our marker's sender took.
  if (marker == kAlreadyRunningMarker) GlobalDeleteAtom(atom);
  return marker;
}

bool ShouldBringToFront(bool window_visible, const std::wstring& marker) {
  return !window_visible || marker == kAlreadyRunningMarker;
}

}  // namespace velkor
