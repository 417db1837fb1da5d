#pragma once
// The interface texts that the program ships, by IDS_ key, in file order.

#include <span>
#include <string_view>

namespace velkor {

struct DefaultText {
  const wchar_t* key;
  const wchar_t* text;
};

std::span<const DefaultText> DefaultTexts();
// Null for a key the program does not know.
const wchar_t* DefaultTextOf(std::wstring_view key);

}  // namespace velkor
