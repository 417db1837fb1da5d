// Calls the engine's RestartComputer, for the restart test (which runs it in a
// prefix of its own: under Wine the restart ends every program of the prefix).
#include <cstdio>

#include "install/driver_system_win.hpp"

int main() {
  const bool done = velkor::TheDriverOperations().RestartComputer();
  std::printf("RestartComputer: %s\n", done ? "true" : "false");
  return done ? 0 : 1;
}
