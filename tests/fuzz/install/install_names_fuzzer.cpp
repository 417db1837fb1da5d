// Names and command lines the package install builds from outside input: the
// update tool's parameters (hardware IDs come from the update service), the
// tool's own argument check, the package's names from its saved path, and the
// unpacked INF path from the service's INF path. Input: UTF-8 lines
// INF path, hardware ID, package path, INF path inside the package.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "install/command_lines.hpp"
#include "install/package_names.hpp"
#include "install/update_tool_protocol.hpp"

namespace {

// The system's rules for every word after the program's name
// (CommandLineToArgvW): blanks separate outside quotes; 2n backslashes before
// a quote give n and the quote opens or closes; 2n+1 give n and a quote;
// other backslashes stand for themselves.
std::vector<std::wstring> SplitArguments(std::wstring_view line) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool inWord = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size();) {
    const wchar_t c = line[i];
    if ((c == L' ' || c == L'\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      ++i;
      continue;
    }
    inWord = true;
    if (c == L'\\') {
      std::size_t run = 0;
      while (i < line.size() && line[i] == L'\\') ++run, ++i;
      if (i < line.size() && line[i] == L'"') {
        word.append(run / 2, L'\\');
        if (run % 2 == 1) {
          word.push_back(L'"');
          ++i;
        }
      } else {
        word.append(run, L'\\');
      }
      continue;
    }
    if (c == L'"') {
      quoted = !quoted;
      ++i;
      continue;
    }
    word.push_back(c);
    ++i;
  }
  if (inWord) words.push_back(word);
  return words;
}

bool HasClimbingSegment(std::wstring_view path) {
  for (const std::wstring& segment : velkor::SplitText(path, L'\\')) {
    if (segment == L"..") return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = velkor::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::wstring> fields = velkor::SplitText(text, L'\n');
  fields.resize(4);
  const std::wstring& inf = fields[0];
  const std::wstring& id = fields[1];

  if (const auto parameters = velkor::UpdateToolParameters(inf, id)) {
    // Whatever the values, the tool reads exactly the verb and the two values.
    const std::vector<std::wstring> words = SplitArguments(*parameters);
    if (words.size() != 3 || words[0] != L"update" || words[1] != inf || words[2] != id) std::abort();
  }
  if (const auto request = velkor::ParseUpdateToolArguments({L"tool.exe", L"update", inf, id})) {
    if (request->infPath.find(L'"') != std::wstring::npos || request->hardwareId.find(L'"') != std::wstring::npos) {
      std::abort();
    }
  }

  if (const auto names = velkor::DerivePackageNames(fields[2])) {
    if (names->unpackFolder != names->folder + L"\\" + names->title + L"\\") std::abort();
    if (!velkor::IsPlainFileName(names->title)) std::abort();
    if (!velkor::IsDeletableFolderPath(names->folder + L"\\" + names->title)) std::abort();
    if (const auto unpacked = velkor::UnpackedInfPath(names->unpackFolder, fields[3])) {
      const std::wstring_view inside = std::wstring_view(*unpacked).substr(names->unpackFolder.size());
      if (!unpacked->starts_with(names->unpackFolder) || inside.empty() || HasClimbingSegment(inside) ||
          inside.find(L':') != std::wstring_view::npos) {
        std::abort();
      }
    }
  }
  return 0;
}
