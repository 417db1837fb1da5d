#pragma once
// velkorctl sysinfo: the machine summary the home page shows.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunSysinfo(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
