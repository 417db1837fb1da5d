#include "running_windows_win.hpp"

#include <windows.h>

namespace velkor::network {
namespace {

// Functions looked up at run time: older systems lack them.
template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE handle = ::GetModuleHandleW(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

bool ReadVersion(RTL_OSVERSIONINFOEXW& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
  if (auto rtlGetVersion = Lookup<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion")) {
    if (rtlGetVersion(&info) == 0) return true;  // STATUS_SUCCESS
  }
  OSVERSIONINFOEXW fallback{};
  fallback.dwOSVersionInfoSize = sizeof(fallback);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&fallback))) return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  info.dwMajorVersion = fallback.dwMajorVersion;
  info.dwMinorVersion = fallback.dwMinorVersion;
  info.dwBuildNumber = fallback.dwBuildNumber;
  info.wProductType = fallback.wProductType;
  info.wSuiteMask = fallback.wSuiteMask;
  return true;
}

std::string NativeArchitecture() {
  using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  if (auto isWow64Process2 = Lookup<IsWow64Process2Fn>(L"kernel32.dll", "IsWow64Process2")) {
    USHORT process = 0;
    USHORT native = 0;
    if (isWow64Process2(::GetCurrentProcess(), &process, &native)) {
      std::string name = ArchitectureOfMachine(native);
      if (!name.empty()) return name;
    }
  }
  SYSTEM_INFO system{};
  using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  if (auto nativeInfo = Lookup<NativeInfoFn>(L"kernel32.dll", "GetNativeSystemInfo")) {
    nativeInfo(&system);
  } else {
    ::GetSystemInfo(&system);
  }
  return ArchitectureOfProcessor(system.wProcessorArchitecture);
}

}  // namespace

ReportedWindows RunningWindows() {
  ReportedWindows windows;
  RTL_OSVERSIONINFOEXW info;
  // Without a version the architecture stays empty, and no header goes out.
  if (!ReadVersion(info)) return windows;
  windows.major = info.dwMajorVersion;
  windows.minor = info.dwMinorVersion;
  windows.build = info.dwBuildNumber;
  windows.productType = info.wProductType;
  windows.suiteMask = info.wSuiteMask;
  windows.architecture = NativeArchitecture();
  return windows;
}

}  // namespace velkor::network
