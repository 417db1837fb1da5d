#pragma once
// A registry key opened below a root, with the reads and writes the program
// needs. Reads use the two-call pattern (ask size and type, then read) and
// check the type; every value from the registry is treated as outside input.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_handle.hpp"

namespace velkor {

class CRegistryKey {
 public:
  // Opens `path` below `root` with `access`. With `create` the key is created
  // when missing, unless the access is read-only. False when it cannot be opened.
  bool Open(HKEY root, const std::wstring& path, REGSAM access, bool create);
  void Close() { key_.reset(); }
  bool IsOpen() const { return static_cast<bool>(key_); }
  HKEY Get() const { return key_.get(); }

  bool ValueExists(const wchar_t* name) const;
  // REG_SZ or REG_EXPAND_SZ, taken as stored (not expanded). Nothing for an
  // absent value or one of another type.
  std::optional<std::wstring> ReadString(const wchar_t* name) const;
  std::optional<std::uint32_t> ReadDword(const wchar_t* name) const;
  // REG_SZ including its terminating zero.
  bool WriteString(const wchar_t* name, const std::wstring& text);
  bool WriteDword(const wchar_t* name, std::uint32_t value);

 private:
  UniqueRegKey key_;
};

// Longest string value we take from the registry (in bytes); the values we read
// are paths, names and dates, so anything larger is not ours.
inline constexpr DWORD kRegistryStringLimit = 64 * 1024;

}  // namespace velkor
