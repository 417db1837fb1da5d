#include "install/update_tool_protocol.hpp"

#include "base/text.hpp"

namespace velkor {
namespace {

bool IsAcceptableInfPath(const std::wstring& path) {
  if (path.size() < 8 || path.size() > kMaxInfPathLength) return false;  // "C:\x.inf" at least
  const wchar_t drive = path[0];
  const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
  if (!letter || path[1] != L':' || path[2] != L'\\') return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c < 0x20 || c == L'"' || c == L'*' || c == L'?' || c == L'<' || c == L'>' || c == L'|') return false;
    if (c == L':' && i != 1) return false;  // a stream name, not a file
    if (c == L'/') return false;
  }
  return AsciiToLower(path.substr(path.size() - 4)) == L".inf" && path[path.size() - 5] != L'\\';
}

bool IsAcceptableHardwareId(const std::wstring& id) {
  if (id.empty() || id.size() > kMaxHardwareIdLength) return false;
  for (wchar_t c : id) {
    if (c < 0x20 || c > 0x7E || c == L'"') return false;
  }
  return true;
}

}  // namespace

std::optional<UpdateToolRequest> ParseUpdateToolArguments(const std::vector<std::wstring>& words) {
  if (words.size() != 4 || words[1] != L"update") return std::nullopt;
  if (!IsAcceptableInfPath(words[2]) || !IsAcceptableHardwareId(words[3])) return std::nullopt;
  return UpdateToolRequest{words[2], words[3]};
}

}  // namespace velkor
