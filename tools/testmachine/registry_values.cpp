#include "registry_values.hpp"

namespace velkor::testmachine {

std::optional<std::wstring> ReadRegistryText(HKEY key, const wchar_t* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // Another writer may grow the value between the two calls: retry a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    const LONG status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_MORE_DATA) {
      size = bytes;
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    buffer.resize(bytes / sizeof(wchar_t));
    // The stored data need not be terminated, and may hold more than one.
    if (const size_t nul = buffer.find(L'\0'); nul != std::wstring::npos) buffer.resize(nul);
    return buffer;
  }
  return std::nullopt;
}

bool WriteRegistryText(HKEY key, const wchar_t* name, std::wstring_view text) {
  const std::wstring value(text);
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY key, const wchar_t* name) {
  const LONG status = RegDeleteValueW(key, name);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::wstring JoinMultiString(const std::vector<std::wstring>& texts) {
  std::wstring data;
  for (const std::wstring& text : texts) {
    data += text;
    data.push_back(L'\0');
  }
  data.push_back(L'\0');
  return data;
}

std::vector<std::wstring> SplitMultiString(std::wstring_view data) {
  std::vector<std::wstring> texts;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find(L'\0', start);
    if (end == std::wstring_view::npos) end = data.size();
    if (end == start) break;
    texts.emplace_back(data.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

}  // namespace velkor::testmachine
