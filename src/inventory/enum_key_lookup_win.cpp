#include "inventory/enum_key_lookup.hpp"

#include <functional>

#include "base/text.hpp"
#include "inventory/registry_read_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

constexpr wchar_t kEnumRoot[] = L"SYSTEM\\CurrentControlSet\\Enum\\";

// Calls visit(name) for each subkey of key in listing order; names are at most
// 255 characters. visit returns false to stop.
bool ForEachSubkey(HKEY key, const std::function<bool(const std::wstring&)>& visit) {
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    const LONG status = ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;  // a longer name than any real one: skip it
    if (status != ERROR_SUCCESS) return true;
    if (!visit(std::wstring(name, length))) return false;
  }
}

UniqueRegKey OpenForReading(HKEY parent, const std::wstring& path) {
  UniqueRegKey key;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.release();
  return key;
}

// Visits every instance key with its path and its first hardware ID in lower
// case (empty when it has none), until visit returns false.
void WalkInstances(const std::function<bool(const std::wstring&, const std::wstring&)>& visit) {
  UniqueRegKey root = OpenForReading(HKEY_LOCAL_MACHINE, kEnumRoot);
  if (!root) return;
  ForEachSubkey(root.get(), [&](const std::wstring& enumerator) {
    UniqueRegKey enumKey = OpenForReading(root.get(), enumerator);
    if (!enumKey) return true;
    return ForEachSubkey(enumKey.get(), [&](const std::wstring& device) {
      UniqueRegKey deviceKey = OpenForReading(enumKey.get(), device);
      if (!deviceKey) return true;
      return ForEachSubkey(deviceKey.get(), [&](const std::wstring& instance) {
        UniqueRegKey instanceKey = OpenForReading(deviceKey.get(), instance);
        if (!instanceKey) return true;
        std::wstring first;
        if (auto ids = ReadRegMultiString(instanceKey.get(), L"HardwareID"); ids && !ids->empty()) {
          first = AsciiToLower(ids->front());
        }
        return visit(kEnumRoot + enumerator + L"\\" + device + L"\\" + instance, first);
      });
    });
  });
}

}  // namespace

std::wstring LookupEnumKey(const std::wstring& id) {
  if (id.empty()) return {};
  const std::wstring wanted = AsciiToLower(id);
  std::wstring found;
  WalkInstances([&](const std::wstring& path, const std::wstring& firstId) {
    if (firstId != wanted) return true;
    found = path;
    return false;
  });
  return found;
}

std::wstring EnumKeyIndex::Lookup(const std::wstring& id) {
  if (id.empty()) return {};
  if (!built_) {
    built_ = true;
    WalkInstances([this](const std::wstring& path, const std::wstring& firstId) {
      if (!firstId.empty()) firstByLowerId_.emplace(firstId, path);  // keeps the first
      return true;
    });
  }
  const auto it = firstByLowerId_.find(AsciiToLower(id));
  return it == firstByLowerId_.end() ? std::wstring() : it->second;
}

}  // namespace velkor
