#pragma once
// One running instance per session: a named mutex, and the registered message
// by which a second start brings the first instance's window to the front.

#include <windows.h>

#include <string>

#include "platform/unique_handle.hpp"

namespace velkor {

inline constexpr wchar_t kInstanceMutexName[] = L"Velkor_MUTEX_C4BD6DAB-A77B-40a2-A144-F605208A9ED0";
inline constexpr wchar_t kBringToFrontMessageName[] = L"It will bring velkor in front if minimized";
inline constexpr wchar_t kAlreadyRunningMarker[] = L"AlreadyRunning";
// The main window a second instance looks for: a standard dialog with this title.
inline constexpr wchar_t kMainWindowClass[] = L"#32770";
inline constexpr wchar_t kMainWindowTitle[] = L"Velkor";

class CInstanceMutex {
 public:
  // Creates the mutex with initial ownership and releases the ownership at once;
  // the handle stays open so the name exists as long as this instance runs.
  explicit CInstanceMutex(const wchar_t* name = kInstanceMutexName);
  bool AlreadyRunning() const { return m_bAlreadyRunning; }

 private:
  UniqueKernelHandle m_hMutex;
  bool m_bAlreadyRunning = false;
};

// The message number, the same in every process that registers the name.
UINT BringToFrontMessage();

// Posts the bring-to-front message with the "AlreadyRunning" marker to the
// running instance's main window. False when there is no such window.
bool SignalRunningInstance();

// The marker carried by a received bring-to-front message (a global atom, so
// that it reads the same in both processes); the atom is released here.
std::wstring TakeBringToFrontMarker(WPARAM wparam);

// Whether the receiving window should come to the front: when it is hidden (in
// the tray) or when another start asked for it.
bool ShouldBringToFront(bool window_visible, const std::wstring& marker);

}  // namespace velkor
