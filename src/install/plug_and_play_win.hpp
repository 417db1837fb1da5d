#pragma once
// The plug-and-play install of an INF for a hardware ID, through newdev.dll's
// UpdateDriverForPlugAndPlayDevicesW, looked up at run time.

#include <windows.h>

#include <string>

#include "install/system_library_win.hpp"

namespace velkor {

class PlugAndPlayInstaller {
 public:
  PlugAndPlayInstaller();
  // UpdateDriverForPlugAndPlayDevicesW with no owner window. On failure, error
  // holds the system's error code (ERROR_PROC_NOT_FOUND without newdev).
  //
  // The INF must be a file and a present device must have the ID among its
  // hardware or compatible IDs; otherwise nothing is called and the result is
  // what Windows itself answers then (ERROR_FILE_NOT_FOUND,
  // ERROR_NO_SUCH_DEVINST). Some implementations (Wine 8) report success for
  // both without installing anything.
  bool Update(const std::wstring& hardwareId, const std::wstring& infPath, DWORD flags, bool& restartNeeded,
              DWORD& error) const;

 private:
  using UpdateFn = BOOL(WINAPI*)(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL);
  UniqueModule newdev_;
  UpdateFn update_ = nullptr;
};

// Whether a present device lists the ID (compared without case) among its
// hardware or compatible IDs.
bool PresentDeviceHasId(const std::wstring& id);

}  // namespace velkor
