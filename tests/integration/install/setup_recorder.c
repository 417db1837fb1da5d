/* A stand-in setup program for the install tests: it writes the command line
   it was started with (UTF-16LE) to "<its own path>.args" and ends. The file
   appears whole: it is written under another name and renamed. Started with
   --wait-forever anywhere on its command line, it then waits until it is
   ended from outside. */
#include <windows.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance;
  (void)previous;
  (void)arguments;
  (void)show;
  wchar_t target[MAX_PATH + 8];
  wchar_t temporary[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(NULL, target, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  wcscpy(temporary, target);
  wcscat(target, L".args");
  wcscat(temporary, L".part");
  const wchar_t* line = GetCommandLineW();
  HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line, (DWORD)(wcslen(line) * sizeof(wchar_t)), &written, NULL);
  CloseHandle(file);
  if (!ok || !MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING)) return 1;
  if (wcsstr(line, L"--wait-forever") != NULL) Sleep(INFINITE);
  return 0;
}
