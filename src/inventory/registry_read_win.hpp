#pragma once
// Reading registry values the careful way: ask the size and type, read, check
// the type, and never trust the stored data to be terminated or small.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velkor {

// Values larger than this are not read: nothing the engine reads comes near it.
inline constexpr DWORD kMaxRegistryValueBytes = 64 * 1024;

// REG_SZ or REG_EXPAND_SZ (not expanded); none when missing or of another type.
std::optional<std::wstring> ReadRegString(HKEY key, const wchar_t* valueName);
// REG_MULTI_SZ, each string in order (empty strings inside the list end it).
std::optional<std::vector<std::wstring>> ReadRegMultiString(HKEY key, const wchar_t* valueName);
// Splits a UTF-16 multi-string buffer of count units, without reading past it.
std::vector<std::wstring> SplitMultiString(const wchar_t* data, std::size_t count);

}  // namespace velkor
