#include "inventory/registry_read_win.hpp"

namespace velkor {
namespace {

std::optional<std::vector<wchar_t>> ReadRaw(HKEY key, const wchar_t* valueName, DWORD& type) {
  DWORD bytes = 0;
  if (::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      bytes > kMaxRegistryValueBytes) {
    return std::nullopt;
  }
  // One spare unit so that the text is terminated whatever was stored.
  std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &read) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(read / sizeof(wchar_t));
  return data;
}

}  // namespace

std::optional<std::wstring> ReadRegString(HKEY key, const wchar_t* valueName) {
  DWORD type = 0;
  auto data = ReadRaw(key, valueName, type);
  if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::size_t length = 0;
  while (length < data->size() && (*data)[length] != L'\0') ++length;
  return std::wstring(data->data(), length);
}

std::optional<std::vector<std::wstring>> ReadRegMultiString(HKEY key, const wchar_t* valueName) {
  DWORD type = 0;
  auto data = ReadRaw(key, valueName, type);
  if (!data || type != REG_MULTI_SZ) return std::nullopt;
  return SplitMultiString(data->data(), data->size());
}

std::vector<std::wstring> SplitMultiString(const wchar_t* data, std::size_t count) {
  std::vector<std::wstring> out;
  std::size_t pos = 0;
  while (pos < count && data[pos] != L'\0') {
    std::size_t end = pos;
    while (end < count && data[end] != L'\0') ++end;
    out.emplace_back(data + pos, end - pos);
    pos = end + 1;
  }
  return out;
}

}  // namespace velkor
