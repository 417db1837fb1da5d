#pragma once
// velkorctl request and velkorctl match: the scan request of a device table,
// and the updates an answer document offers for it.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunRequest(const std::vector<std::wstring>& args, const Console& console);
int RunMatch(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
