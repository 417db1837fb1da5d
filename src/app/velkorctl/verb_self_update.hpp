#pragma once
// velkorctl check-update: the window's "Check for update" on a console.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunCheckUpdate(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
