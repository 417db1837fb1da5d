#pragma once
// Console output of velkorctl. Everything goes out as UTF-8, also when the
// output is a pipe or a file; on a real console the text is written as UTF-16
// so that every character shows whatever the console's code page.

#include <string_view>

namespace velkor::ctl {

class Console {
 public:
  Console();
  void Out(std::wstring_view text) const;
  void Err(std::wstring_view text) const;
  // Raw bytes to standard output (documents that are already UTF-8).
  void OutBytes(std::string_view bytes) const;
  // Whether standard output is a console window (progress lines go there only).
  bool OutIsConsole() const { return out_is_console_; }
  // Whether standard error is a console window (lines redrawn in place go there only).
  bool ErrIsConsole() const { return err_is_console_; }

 private:
  void Write(void* handle, bool is_console, std::wstring_view text) const;

  void* out_;
  void* err_;
  bool out_is_console_;
  bool err_is_console_;
};

}  // namespace velkor::ctl
