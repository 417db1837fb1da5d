#include "install/ansi_text_win.hpp"

#include <windows.h>

namespace velkor {

std::optional<std::wstring> FromThreadAnsi(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), length) !=
      length) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> ToThreadAnsi(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (text.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  // No best-fit mapping: a character without an exact form must not turn into
  // a look-alike ("\u2215" into "/").
  const int length =
      ::WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), length, nullptr,
                            &lossy) != length || lossy) {
    return std::nullopt;
  }
  return out;
}

}  // namespace velkor
