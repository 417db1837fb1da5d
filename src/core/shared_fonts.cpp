#include "core/shared_fonts.hpp"

#include "base/path.hpp"

namespace velkor {

std::wstring ChooseInterfaceFace(const std::wstring& windows_folder) {
  const std::wstring font = JoinPath(windows_folder, L"FONTS\\SEGOEUI.TTF");
  const DWORD attributes = windows_folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(font.c_str());
  const bool present = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return present ? L"Segoe UI" : L"Tahoma";
}

void CSharedFonts::Create(const std::wstring& face) {
  for (std::size_t i = 0; i < kSharedFontSpecs.size(); ++i) {
    const FontSpec& spec = kSharedFontSpecs[i];
    fonts_[i].reset(CreateFontW(spec.height, 0, 0, 0, spec.weight, FALSE, spec.underline ? TRUE : FALSE, FALSE,
                                ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  }
}

HFONT CSharedFonts::Get(int number) const {
  if (number < 1 || number > static_cast<int>(fonts_.size())) return nullptr;
  return static_cast<HFONT>(fonts_[static_cast<std::size_t>(number - 1)].get());
}

}  // namespace velkor
