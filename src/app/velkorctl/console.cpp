#include "app/velkorctl/console.hpp"

#include <windows.h>

#include "base/utf.hpp"

namespace velkor::ctl {
namespace {

bool IsConsoleHandle(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() > 0x100000 ? 0x100000 : bytes.size());
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

}  // namespace

Console::Console()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)),
      err_(GetStdHandle(STD_ERROR_HANDLE)),
      out_is_console_(IsConsoleHandle(out_)),
      err_is_console_(IsConsoleHandle(err_)) {}

void Console::Write(void* handle, bool is_console, std::wstring_view text) const {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  if (is_console) {
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  WriteAll(handle, ToUtf8(text));
}

void Console::Out(std::wstring_view text) const { Write(out_, out_is_console_, text); }
void Console::Err(std::wstring_view text) const { Write(err_, err_is_console_, text); }

void Console::OutBytes(std::string_view bytes) const {
  if (out_is_console_) {
    Out(FromUtf8(bytes));
    return;
  }
  WriteAll(out_, bytes);
}

}  // namespace velkor::ctl
