#pragma once
// Finding a device's instance key under SYSTEM\CurrentControlSet\Enum by its
// first hardware ID.

#include <windows.h>

#include <map>
#include <string>

namespace velkor {

// The path under HKEY_LOCAL_MACHINE of the first instance key (in registry
// listing order) whose first "HardwareID" string equals id without regard to
// case; empty when none does. An empty id matches nothing.
std::wstring LookupEnumKey(const std::wstring& id);

// The same answers for a whole scan from one walk of the tree: the walk visits
// every instance key once instead of once per device.
class EnumKeyIndex {
 public:
  std::wstring Lookup(const std::wstring& id);

 private:
  bool built_ = false;
  std::map<std::wstring, std::wstring> firstByLowerId_;
};

}  // namespace velkor
