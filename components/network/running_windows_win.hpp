#pragma once
// The Windows this process runs on, as the system itself knows it: not what a
// compatibility shim makes GetVersionEx say to a program without the newest
// manifest, and not what an emulated or WOW64 process sees of the processor.

#include "system_headers.hpp"

namespace velkor::network {

// The version, build, product type and suite mask from ntdll's RtlGetVersion
// (GetVersionExW where ntdll lacks it); the native machine from
// IsWow64Process2 where the system has it (an x64 program emulated on ARM64 is
// told ARM64), else from GetNativeSystemInfo, else GetSystemInfo.
ReportedWindows RunningWindows();

}  // namespace velkor::network
