#include "download/folder_name.hpp"

#include "base/text.hpp"

namespace velkor {

std::wstring MakeFolderName(std::wstring_view text) {
  std::wstring name;
  name.reserve(text.size());
  bool onlyDotsAndBlanks = true;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
      case L'/':
      case L':':
      case L'*':
      case L'?':
      case L'<':
      case L'>':
      case L'|':
        break;
      default:
        if (c < 0x20) break;
        if (c != L'.' && !IsBlank(c)) onlyDotsAndBlanks = false;
        name.push_back(c);
    }
  }
  return onlyDotsAndBlanks ? std::wstring(kPlaceholderName) : name;
}

std::wstring DownloadFileKey(std::wstring_view hardwareId) { return AsciiToLower(MakeFolderName(hardwareId)); }

}  // namespace velkor
