#pragma once
// update.dll: the self-update's transfers. The program links it by import and
// calls, for each transfer, STClearFiles, STAddFile, STSetOption("hidden",
// "0"), STDownloadFiles(nullptr). Every string is narrow, in the thread's ANSI
// code page. No exception leaves the library.

#include <windows.h>

#ifdef VELKOR_UPDATE_BUILD
#define VELKOR_UPDATE_API extern "C" __declspec(dllexport)
#else
#define VELKOR_UPDATE_API extern "C" __declspec(dllimport)
#endif

// Non-zero when the configured update service answers now (a bounded request
// to it, not a guess from the network adapters).
VELKOR_UPDATE_API int STIsConnected();
// Empties the list of transfers.
VELKOR_UPDATE_API void STClearFiles();
// Adds one transfer: source address (http or https) and target file. Zero
// when either text is missing or unreadable.
VELKOR_UPDATE_API int STAddFile(const char* url, const char* localPath);
// "hidden": "0" shows a progress window with a Cancel button while the
// transfers run (the caller's thread pumps its messages), "1" shows nothing.
// Zero for an option the library does not know.
VELKOR_UPDATE_API int STSetOption(const char* name, const char* value);
// Runs the listed transfers in order, each into a temporary file beside its
// target that replaces the target only once complete. Non-zero only when
// every target was written; a failed or cancelled transfer leaves its target
// as it was (the program deletes it beforehand).
VELKOR_UPDATE_API int STDownloadFiles(HWND parent);
