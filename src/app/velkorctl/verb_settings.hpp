#pragma once
// velkorctl settings: shows the settings, working folders and lists; sets one
// setting or puts all back to their defaults.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunSettings(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
