#include "inventory/system_text.hpp"

#include <cstdio>
#include <vector>

#include "base/text.hpp"

namespace velkor {
namespace {

std::wstring Widen(const char* ascii) {
  std::wstring out;
  for (; *ascii != '\0'; ++ascii) out.push_back(static_cast<wchar_t>(*ascii));
  return out;
}

}  // namespace

std::wstring FormatSize(std::int64_t bytes) {
  char buffer[64];
  if (bytes < 1024) {
    std::snprintf(buffer, sizeof buffer, "%lld Bytes", static_cast<long long>(bytes));
    return Widen(buffer);
  }
  // Each step stays in single precision, as the figures have always been shown.
  const char* unit = "KB";
  float value = static_cast<float>(bytes) / 1024.0f;
  if (!(value < 1024.0f)) {
    value /= 1024.0f;
    unit = "MB";
    if (!(value < 1024.0f)) {
      value /= 1024.0f;
      unit = "GB";
    }
  }
  std::snprintf(buffer, sizeof buffer, "%0.2f %s", static_cast<double>(value), unit);
  return Widen(buffer);
}

std::wstring NormaliseSystemText(std::wstring_view text) {
  std::vector<std::wstring> words;
  for (std::wstring& piece : SplitText(Trim(text), L' ')) {
    if (!piece.empty()) words.push_back(std::move(piece));
  }
  return JoinTexts(words, L" ");
}

std::wstring CutProcessorName(std::wstring_view name) {
  if (name.size() <= kProcessorNameShown) return std::wstring(name);
  std::wstring cut(name.substr(0, kProcessorNameShown));
  cut += L"...";
  return cut;
}

}  // namespace velkor
