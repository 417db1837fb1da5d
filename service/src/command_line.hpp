#pragma once
// velkor-service's command line:
//   velkor-service import --catalog FILE --packages DIR
//   velkor-service serve  --catalog FILE --packages DIR --listen HOST:PORT
//                         --scan-key FILE --driver-key FILE [--version-key FILE]
//                         [--public-url URL] [--app-dir DIR] [--threads N]
//                         [--rank newest|identifier] [--lookup index|sql]
//                         [--max-connections-per-address N] [--max-requests-per-address N]
//                         [--request-deadline SECONDS]
//                         [--feedback LOCATION] [--feedback-quota BYTES] [--feedback-per-hour N]
//   velkor-service keygen --private-key FILE --public-key FILE

#include <string>
#include <vector>

#include "http_server.hpp"

namespace velkor::service {

struct CommandLine {
  std::string verb;  // "import", "serve" or "keygen"
  ServiceOptions options;
  std::string privateKeyPath;  // keygen
  std::string publicKeyPath;   // keygen
};

// False with a one-line reason in error for anything it does not understand.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

extern const char* const kUsage;

}  // namespace velkor::service
