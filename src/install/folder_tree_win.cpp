#include <windows.h>
#include <shellapi.h>

#include "install/folder_tree.hpp"
#include "install/package_names.hpp"

namespace velkor {

bool DeleteFolderTree(const std::wstring& path) {
  if (!IsDeletableFolderPath(path)) return false;
  std::wstring from = path;
  from.push_back(L'\0');  // the list of names ends with a second terminator
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace velkor
