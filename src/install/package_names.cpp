#include "install/package_names.hpp"

#include "base/text.hpp"
#include "backup/zip_entry_name.hpp"

namespace velkor {

PackageKinds PackageKindsOf(std::wstring_view packagePath) {
  const std::wstring lower = AsciiToLower(packagePath);
  auto has = [&lower](std::wstring_view piece) { return lower.find(piece) != std::wstring::npos; };
  return {has(L".exe") || has(L".msi"), has(L".zip"), has(L".rar"), has(L".cab")};
}

bool IsPlainFileName(std::wstring_view name) {
  return name.find_first_of(L"\\/") == std::wstring_view::npos && IsSafeZipEntryName(name);
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
  if (!IsFullPath(path) || path.back() == L'\\' || path.back() == L'/') return false;
  if (path.find_first_of(L"*?") != std::wstring_view::npos || HasControlCharacter(path)) return false;
  if (path[1] == L':') return path.size() > 3;  // C:\x at least
  // \\server\share\x at least.
  const std::size_t share = path.find(L'\\', 2);
  return share != std::wstring_view::npos && path.find(L'\\', share + 1) != std::wstring_view::npos;
}

std::optional<PackageNames> DerivePackageNames(std::wstring_view packagePath) {
  const std::size_t slash = packagePath.rfind(L'\\');
  if (slash == std::wstring_view::npos || !IsFullPath(packagePath)) return std::nullopt;
  const std::wstring_view fileName = packagePath.substr(slash + 1);
  const std::size_t dot = fileName.rfind(L'.');
  const std::wstring_view title = dot == std::wstring_view::npos ? fileName : fileName.substr(0, dot);
  if (!IsPlainFileName(title)) return std::nullopt;

  PackageNames names;
  names.folder = std::wstring(packagePath.substr(0, slash));
  names.title = std::wstring(title);
  // The unpack folder is deleted afterwards: it must be one that may be.
  if (!IsDeletableFolderPath(names.folder + L"\\" + names.title)) return std::nullopt;
  names.unpackFolder = names.folder + L"\\" + names.title + L"\\";
  return names;
}

std::optional<std::wstring> UnpackedInfPath(std::wstring_view unpackFolder,
                                            std::wstring_view infPathInPackage) {
  std::optional<std::wstring> relative = SafeZipEntryPath(infPathInPackage);
  if (!relative) return std::nullopt;
  return std::wstring(unpackFolder) + *relative;
}

std::wstring SupportRoot(std::wstring_view supportFolder) {
  std::wstring_view folder = supportFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.remove_suffix(1);
  const std::size_t slash = folder.rfind(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return std::wstring(folder.substr(0, slash));
}

}  // namespace velkor
