#include "base/path.hpp"

namespace velkor {

std::wstring JoinPath(std::wstring_view path, std::wstring_view piece) {
  std::wstring out(path);
  if (path.empty() || piece.empty()) {
    out.append(piece);
    return out;
  }
  if (piece.front() == L'\\') piece.remove_prefix(1);
  if (out.back() != L'\\') out.push_back(L'\\');
  out.append(piece);
  return out;
}

bool IsFullPath(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    const wchar_t drive = path[0];
    return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
  }
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

namespace {

// A control character (a NUL above all) would cut the path short where the
// system reads it, so that it names another file than the one checked here.
bool HasControlCharacter(std::wstring_view path) {
  for (wchar_t c : path) {
    if (c < 0x20) return true;
  }
  return false;
}

}  // namespace

bool IsDeletableFolderPath(std::wstring_view path) {
  if (!IsFullPath(path) || IsPathSeparator(path.back())) return false;
  if (path.find_first_of(L"*?") != std::wstring_view::npos || HasControlCharacter(path)) return false;
  if (path[1] == L':') return path.size() > 3;  // C:\x at least
  // \\server\share\x at least, neither name empty.
  const std::size_t share = path.find(L'\\', 2);
  if (share == std::wstring_view::npos || share == 2) return false;
  const std::size_t below = path.find(L'\\', share + 1);
  return below != std::wstring_view::npos && below > share + 1;
}

std::wstring QuotedPath(std::wstring_view path) {
  std::wstring quoted = L"\"";
  for (const wchar_t c : path) {
    if (c != L'"') quoted += c;
  }
  return quoted + L"\"";
}

}  // namespace velkor
