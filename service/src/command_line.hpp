#pragma once
// velkor-service's command line:
//   velkor-service import --catalog FILE --packages DIR
//   velkor-service serve  --catalog FILE --packages DIR --listen HOST:PORT
//                         [--public-url URL] [--app-dir DIR] [--threads N]
//                         [--rank newest|identifier]

#include <string>
#include <vector>

#include "http_server.hpp"

namespace velkor::service {

struct CommandLine {
  std::string verb;  // "import" or "serve"
  ServiceOptions options;
};

// False with a one-line reason in error for anything it does not understand.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

extern const char* const kUsage;

}  // namespace velkor::service
