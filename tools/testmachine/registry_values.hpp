#pragma once
// Registry values read and written the careful way: ask the size and type,
// read, check the type; text is written with its terminator.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::testmachine {

// REG_SZ or REG_EXPAND_SZ text; nothing when the value is missing or another type.
std::optional<std::wstring> ReadRegistryText(HKEY key, const wchar_t* name);
bool WriteRegistryText(HKEY key, const wchar_t* name, std::wstring_view text);
// Succeeds also when there was no such value.
bool DeleteRegistryValue(HKEY key, const wchar_t* name);

// Texts joined as a REG_MULTI_SZ: each followed by a NUL, one more at the end.
std::wstring JoinMultiString(const std::vector<std::wstring>& texts);
// Splits REG_MULTI_SZ data given as UTF-16 units; stops at the first empty string
// and never reads past the end of the buffer, terminated or not.
std::vector<std::wstring> SplitMultiString(std::wstring_view data);

}  // namespace velkor::testmachine
