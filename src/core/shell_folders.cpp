#include "core/shell_folders.hpp"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace velkor {

std::wstring GetSpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return {};
  buffer[MAX_PATH] = L'\0';
  std::wstring folder(buffer);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring GetAppDataFolder() { return GetSpecialFolder(CSIDL_APPDATA); }
std::wstring GetProgramFilesFolder() { return GetSpecialFolder(CSIDL_PROGRAM_FILES); }

std::wstring GetWindowsFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return {};
  return std::wstring(buffer, n);
}

std::wstring GetUserTempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH + 1) return {};
  return std::wstring(buffer, n);
}

std::wstring GetProgramModulePath() {
  // Long paths: grow the buffer until the whole name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring GetProgramModuleFolder() {
  std::wstring path = GetProgramModulePath();
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  path.resize(slash + 1);
  return path;
}

bool FolderExists(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EnsureFolder(const std::wstring& folder) {
  if (folder.empty()) return false;
  if (FolderExists(folder)) return true;
  return CreateDirectoryW(folder.c_str(), nullptr) != 0 || FolderExists(folder);
}

}  // namespace velkor
