#include <windows.h>

#include "inventory/os_version_code.hpp"

namespace velkor {

OsVersionCode GetOSVersionCode() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return {};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  // The native architecture tells a 32-bit process on 64-bit Windows apart;
  // systems before XP only have the ordinary system information.
  SYSTEM_INFO system{};
  using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto native = kernel == nullptr
                    ? nullptr
                    : reinterpret_cast<NativeInfoFn>(
                          reinterpret_cast<void*>(::GetProcAddress(kernel, "GetNativeSystemInfo")));
  if (native != nullptr) {
    native(&system);
  } else {
    ::GetSystemInfo(&system);
  }
  OsVersionRecord record;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.platformId = info.dwPlatformId;
  record.productType = info.wProductType;
  record.suiteMask = info.wSuiteMask;
  return OsVersionCodeFor(record, system.wProcessorArchitecture);
}

}  // namespace velkor
