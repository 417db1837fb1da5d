#pragma once
// velkorctl scan: the scan run of the window program on the console.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunScan(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
