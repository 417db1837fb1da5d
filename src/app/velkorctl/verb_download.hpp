#pragma once
// velkorctl download: the scan, then the download queue of the window program
// on the console.

#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

int RunDownload(const std::vector<std::wstring>& args, const Console& console);

}  // namespace velkor::ctl
