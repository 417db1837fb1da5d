#include "core/file_removal_win.hpp"

#include <windows.h>

#include <iterator>
#include <string_view>

#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// Vista's functions, looked up at run time; Windows XP has none of them (and
// no split administrator tokens either, so no unelevated user of the same
// account to plant a link).
using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using CompareOrdinalFn = int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL);
using SetFileInfoFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
constexpr int kFileDispositionInfo = 4;  // FILE_INFO_BY_HANDLE_CLASS

template <typename Fn>
Fn Kernel32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// Every folder from the drive's first one down, and the file itself, exists
// and is no reparse point. "." and ".." and empty names would make the walk
// look at other folders than the path leads through: refused.
bool NoReparsePointOnTheWay(const std::wstring& path) {
  for (std::size_t begin = 3, at = path.find(L'\\', begin);; begin = at + 1, at = path.find(L'\\', begin)) {
    const std::wstring_view name = std::wstring_view(path).substr(begin, at == std::wstring::npos ? at : at - begin);
    if (name.empty() || name == L"." || name == L"..") return false;
    const std::wstring part = at == std::wstring::npos ? path : path.substr(0, at);
    const DWORD attributes = GetFileAttributesW(part.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    if (at == std::wstring::npos) return true;
  }
}

// Where the open file really is, when the system can say; true when it cannot.
bool OpensWhereNamed(HANDLE file, const std::wstring& path) {
  const auto finalPath = Kernel32<FinalPathFn>("GetFinalPathNameByHandleW");
  const auto compare = Kernel32<CompareOrdinalFn>("CompareStringOrdinal");
  if (finalPath == nullptr || compare == nullptr) return true;
  wchar_t buffer[MAX_PATH * 4];
  const DWORD length = finalPath(file, buffer, static_cast<DWORD>(std::size(buffer)), 0);  // FILE_NAME_NORMALIZED
  if (length == 0 || length >= std::size(buffer)) return false;
  std::wstring real(buffer, length);
  if (real.starts_with(L"\\\\?\\")) real.erase(0, 4);
  return compare(real.c_str(), static_cast<int>(real.size()), path.c_str(), static_cast<int>(path.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

bool RemoveUnredirectedFile(const std::wstring& path) {
  const bool drivePath = path.size() > 3 && path[1] == L':' && path[2] == L'\\' &&
                         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  if (!drivePath || !NoReparsePointOnTheWay(path)) return false;
  // Opened as itself, never followed: a link is seen as the link.
  UniqueKernelHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
      !OpensWhereNamed(file.get(), path)) {
    return false;
  }
  // Deleted through the handle that was checked, where the system allows it,
  // so that nothing can be swapped in between.
  if (const auto setInfo = Kernel32<SetFileInfoFn>("SetFileInformationByHandle")) {
    BOOLEAN deleteFile = TRUE;  // FILE_DISPOSITION_INFO
    return setInfo(file.get(), kFileDispositionInfo, &deleteFile, sizeof(deleteFile)) != FALSE;
  }
  file.reset();
  return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace velkor
