#pragma once
// Move-only owners of Win32 handles. Each kind of handle has a traits type that
// says which value is "no handle" and how to release it; a handle is released
// exactly once, by its owner, on every path. Copying does not compile.

#include <windows.h>
#include <setupapi.h>
#include <winsvc.h>

#include <utility>

namespace velkor {

template <typename Traits>
class UniqueHandle {
 public:
  using value_type = typename Traits::value_type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(value_type handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  value_type get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

  value_type release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  void reset(value_type handle = Traits::Invalid()) noexcept {
    const value_type old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

  // For APIs that return a handle through an out-parameter: releases the
  // current handle and hands out the slot.
  value_type* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  value_type handle_ = Traits::Invalid();
};

// Kernel objects: events, mutexes, threads, processes, files. Both NULL and
// INVALID_HANDLE_VALUE mean "no handle", since Win32 uses either for failure.
struct KernelHandleTraits {
  using value_type = HANDLE;
  static HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using value_type = HKEY;
  static HKEY Invalid() noexcept { return nullptr; }
  static bool IsValid(HKEY h) noexcept { return h != nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};

struct DevInfoTraits {
  using value_type = HDEVINFO;
  static HDEVINFO Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HDEVINFO h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HDEVINFO h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

struct ModuleTraits {
  using value_type = HMODULE;
  static HMODULE Invalid() noexcept { return nullptr; }
  static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
  static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};

struct ServiceHandleTraits {
  using value_type = SC_HANDLE;
  static SC_HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(SC_HANDLE h) noexcept { return h != nullptr; }
  static void Close(SC_HANDLE h) noexcept { ::CloseServiceHandle(h); }
};

struct FindHandleTraits {
  using value_type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) noexcept { ::FindClose(h); }
};

struct GdiObjectTraits {
  using value_type = HGDIOBJ;
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
  static void Close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueDevInfo = UniqueHandle<DevInfoTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

}  // namespace velkor
