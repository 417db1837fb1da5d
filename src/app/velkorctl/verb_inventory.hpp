#pragma once
// velkorctl inventory [--json] and velkorctl osversion.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunInventory(const std::vector<std::wstring>& args, const Console& console);
int RunOsVersion(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
