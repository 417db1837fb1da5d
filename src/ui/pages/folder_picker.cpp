#include "ui/pages/folder_picker.hpp"

#include <shlobj.h>

#include "platform/com_ptr.hpp"

namespace velkor {

namespace {

int CALLBACK PreselectFolder(HWND picker, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace

bool FolderIsWritable(const std::wstring& folder, const wchar_t* testName) {
  const std::wstring test = WithBackslash(folder) + testName;
  if (!CreateDirectoryW(test.c_str(), nullptr)) return false;
  RemoveDirectoryW(test.c_str());
  return true;
}

std::wstring PickFolder(HWND owner, const std::wstring& current) {
  // The new dialog style needs the calling thread in a single-threaded apartment.
  const ComApartment apartment;
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = L"Choose directory";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = PreselectFolder;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
  ::CoTaskMemFree(chosen);
  return ok ? WithBackslash(path) : std::wstring();
}

}  // namespace velkor
