#pragma once
// Queries of the management service (WMI) over COM: the signed-driver table
// and the physical memory ask it the same way.

#include <windows.h>
#include <wbemcli.h>

#include <cstddef>
#include <functional>
#include <string>

namespace velkor {

// Starts the management service ("winmgmt") when it is stopped (and makes it
// start automatically), continues it when paused. True when it runs.
bool EnsureWmiServiceRunning();

// Runs the WQL query in root\cimv2 through the administrative locator
// ({CB8555CC-9128-11D1-AD9B-00C04FD8FDFF}, in-process or local server) with the
// current user's credentials, and hands each result row to onRow, one at a
// time, until none is left. The calling thread's COM apartment and the
// process's COM security (packet authentication, impersonation, set once per
// process) are taken care of. False when the service could not be asked.
bool RunWmiQuery(const wchar_t* query, const std::function<void(IWbemClassObject& row)>& onRow);

// A property of a row as text (converted when it is not one), cut to
// maxLength and at an embedded NUL; empty when missing or null.
std::wstring WmiPropertyText(IWbemClassObject& row, const wchar_t* name, std::size_t maxLength);

}  // namespace velkor
