#include "install/command_lines.hpp"

#include "base/path.hpp"
#include "base/text.hpp"

namespace velkor {
namespace {

bool CanStandInQuotes(std::wstring_view value) {
  if (value.empty()) return false;
  for (wchar_t c : value) {
    if (c == L'"' || c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// A value in double quotes; backslashes before the closing quote are doubled,
// the only place where the system's rules give a backslash a meaning.
void AppendQuoted(std::wstring& out, std::wstring_view value) {
  out.push_back(L'"');
  out.append(value);
  for (auto it = value.rbegin(); it != value.rend() && *it == L'\\'; ++it) out.push_back(L'\\');
  out.push_back(L'"');
}

}  // namespace

std::optional<std::wstring> UpdateToolParameters(std::wstring_view infPath, std::wstring_view hardwareId) {
  if (!CanStandInQuotes(infPath) || !CanStandInQuotes(hardwareId)) return std::nullopt;
  std::wstring out = L"update ";
  AppendQuoted(out, infPath);
  out.push_back(L' ');
  AppendQuoted(out, hardwareId);
  return out;
}

std::wstring BuildUpdateToolFileName() {
  static constexpr wchar_t kPieces[] = {L'v', L'k', L'u', L'p', L'd', L'a',
                                        L't', L'e', L'.', L'e', L'x', L'e'};
  std::wstring name;
  for (wchar_t piece : kPieces) name.push_back(piece);
  return name;
}

std::wstring UpdateToolPath(std::wstring_view supportFolder, std::wstring_view toolFileName) {
  return Trim(JoinPath(supportFolder, L"\\") + std::wstring(toolFileName));
}

const wchar_t* UpdateToolVerb(int windowsMajorVersion) {
  return windowsMajorVersion >= 6 ? L"runas" : L"open";
}

std::optional<std::wstring> SevenZipCommandLine(std::wstring_view packagePath, std::wstring_view targetFolder) {
  if (packagePath.find(L'"') != std::wstring_view::npos ||
      targetFolder.find(L'"') != std::wstring_view::npos) {
    return std::nullopt;
  }
  std::wstring line = L"7z.exe x -y \"";
  line.append(packagePath);
  line.append(L"\" -o\"");
  line.append(targetFolder);
  line.append(L"\" -r ");
  return line;
}

}  // namespace velkor
