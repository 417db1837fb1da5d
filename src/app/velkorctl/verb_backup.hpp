#pragma once
// velkorctl backup and velkorctl backups.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunBackup(const std::vector<std::wstring>& args, const Console& console);
int RunBackups(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
