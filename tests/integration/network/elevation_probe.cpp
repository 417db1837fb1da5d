// Prints what Network.dll's check says of this process: "elevated" or
// "limited". For the tests that run programs with either token.
#include <cstdio>

#include "service_config_win.hpp"

int main() {
  std::puts(velkor::network::ThisProcessElevation().IsElevatedOrSystem() ? "elevated" : "limited");
  return 0;
}
