// velkorctl.exe: the console front end over Velkor's engine.

#include <windows.h>

#include <string>
#include <vector>

#include "app/velkorctl/commands.hpp"
#include "app/velkorctl/console.hpp"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const velkor::ctl::Console console;
  return velkor::ctl::RunCommandLine(args, console);
}
