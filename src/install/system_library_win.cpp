#include "install/system_library_win.hpp"

#include "core/shell_folders.hpp"

namespace velkor {

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return UniqueModule();
  std::wstring path(folder, length);
  if (path.back() != L'\\') path.push_back(L'\\');
  path.append(fileName);
  return LoadLibraryAt(path);
}

UniqueModule LoadLibraryAt(const std::wstring& path) {
  if (path.empty()) return UniqueModule();
  return UniqueModule(::LoadLibraryW(path.c_str()));
}

UniqueModule LoadProgramOrSystemLibrary(const wchar_t* fileName) {
  const std::wstring folder = GetProgramModuleFolder();
  if (!folder.empty()) {
    if (UniqueModule beside = LoadLibraryAt(folder + fileName)) return beside;
  }
  return LoadSystemLibrary(fileName);
}

}  // namespace velkor
