#pragma once
// The Windows version that Wine reports to the programs of this prefix.

#include <string>

namespace velkor::testmachine {

// Sets HKCU\Software\Wine "Version" (win2k, winxp, ..., win10). Programs
// started afterwards see it; the running process keeps what it started with.
bool SetReportedWindowsVersion(const std::wstring& name, std::wstring& error);

}  // namespace velkor::testmachine
