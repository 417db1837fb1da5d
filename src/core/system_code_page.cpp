#include "core/system_code_page.hpp"

#include <windows.h>

#include <limits>

#include "core/list_file.hpp"

namespace velkor {

std::wstring DecodeSystemCodePage(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return DecodeLatin1(bytes);
  const int size = static_cast<int>(bytes.size());
  const char* data = reinterpret_cast<const char*>(bytes.data());
  const int units = MultiByteToWideChar(CP_ACP, 0, data, size, nullptr, 0);
  if (units <= 0) return DecodeLatin1(bytes);
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, data, size, text.data(), units);
  return text;
}

}  // namespace velkor
