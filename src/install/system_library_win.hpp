#pragma once
// Libraries of the system and of this program loaded by full path, never
// through the search path (a DLL of the same name in the current folder or a
// download folder must not be loaded instead).

#include <windows.h>

#include <string>

#include "platform/unique_handle.hpp"

namespace velkor {

// A library of the system folder (newdev.dll, cabinet.dll).
UniqueModule LoadSystemLibrary(const wchar_t* fileName);

// A library beside the running program (where the setup puts redistributables),
// else the system's.
UniqueModule LoadProgramOrSystemLibrary(const wchar_t* fileName);

// A library by its full path; an empty path loads nothing.
UniqueModule LoadLibraryAt(const std::wstring& path);

// A function of a loaded library, as the type the caller names.
template <typename Fn>
Fn LibraryFunction(const UniqueModule& library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library.get(), name)));
}

}  // namespace velkor
