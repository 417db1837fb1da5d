// A stand-in for the product's setup program in the self-update tests: it
// appends its command line to setup_record.txt beside itself (UTF-8, one line
// per start) and exits 0.

#include <windows.h>

#include <string>

#include "base/utf.hpp"

int wmain() {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return 1;
  std::wstring record(self, length);
  record.erase(record.find_last_of(L'\\') + 1);
  record += L"setup_record.txt";
  HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const std::string line = velkor::ToUtf8(GetCommandLineW()) + "\n";
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == line.size() ? 0 : 1;
}
