#pragma once
// velkorctl check-update and feedback: the window's "Check for update" and
// feedback report on a console.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunCheckUpdate(const std::vector<std::wstring>& args, const Console& console);
int RunFeedback(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
