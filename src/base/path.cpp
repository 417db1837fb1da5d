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

std::wstring QuotedPath(std::wstring_view path) {
  std::wstring quoted = L"\"";
  for (const wchar_t c : path) {
    if (c != L'"') quoted += c;
  }
  return quoted + L"\"";
}

}  // namespace velkor
