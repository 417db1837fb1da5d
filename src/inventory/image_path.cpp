#include "inventory/image_path.hpp"

#include "base/text.hpp"

namespace velkor {

ImageFileCandidates ImageFileCandidatesFor(std::wstring_view windowsFolder,
                                           std::wstring_view imagePath) {
  ImageFileCandidates out;
  const std::wstring base = std::wstring(windowsFolder) + L"\\";
  std::wstring lower = AsciiToLower(imagePath);
  const std::size_t system32 = lower.find(L"system32");
  if (system32 != std::wstring::npos) lower.erase(0, system32);
  out.first = base + lower;
  const std::size_t slash = imagePath.rfind(L'\\');
  const std::wstring_view file =
      slash == std::wstring_view::npos ? imagePath : imagePath.substr(slash + 1);
  out.fallback = base + L"system32\\drivers\\" + std::wstring(file);
  return out;
}

}  // namespace velkor
