#include "command_line.hpp"

#include <charconv>

namespace velkor::service {

const char* const kUsage =
    "usage: velkor-service import --catalog FILE --packages DIR\n"
    "       velkor-service serve --catalog FILE --packages DIR --listen HOST:PORT\n"
    "                            --scan-key FILE --driver-key FILE [--version-key FILE]\n"
    "                            [--public-url URL] [--app-dir DIR] [--threads N]\n"
    "                            [--rank newest|identifier]\n"
    "       velkor-service keygen --private-key FILE --public-key FILE\n";

namespace {

bool ReadInt(const std::string& text, int low, int high, int& value) {
  int v = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
  value = v;
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  if (args.empty()) {
    error = "missing verb";
    return false;
  }
  CommandLine line;
  line.verb = args[0];
  if (line.verb != "import" && line.verb != "serve" && line.verb != "keygen") {
    error = "unknown verb: " + line.verb;
    return false;
  }
  const bool serving = line.verb == "serve";
  const bool keygen = line.verb == "keygen";
  bool haveListen = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (i + 1 >= args.size()) {
      error = "missing value after " + flag;
      return false;
    }
    const std::string& value = args[++i];
    if (keygen && flag == "--private-key") {
      line.privateKeyPath = value;
    } else if (keygen && flag == "--public-key") {
      line.publicKeyPath = value;
    } else if (!keygen && flag == "--catalog") {
      line.options.catalogPath = value;
    } else if (!keygen && flag == "--packages") {
      line.options.packagesDir = value;
    } else if (serving && flag == "--listen") {
      const std::size_t colon = value.rfind(':');
      if (colon == std::string::npos || colon == 0 ||
          !ReadInt(value.substr(colon + 1), 0, 65535, line.options.port)) {
        error = "--listen needs HOST:PORT";
        return false;
      }
      line.options.host = value.substr(0, colon);
      // "[::1]:8750": an IPv6 address is written in brackets.
      if (line.options.host.size() > 2 && line.options.host.front() == '[' &&
          line.options.host.back() == ']') {
        line.options.host = line.options.host.substr(1, line.options.host.size() - 2);
      }
      haveListen = true;
    } else if (serving && flag == "--public-url") {
      if (value.rfind("http://", 0) != 0 && value.rfind("https://", 0) != 0) {
        error = "--public-url must start with http:// or https://";
        return false;
      }
      // The driver lookup's answer is "URL|MD5": the URL must not hold the separator.
      if (value.find_first_of("| \t\r\n") != std::string::npos) {
        error = "--public-url must not contain \"|\" or blanks";
        return false;
      }
      line.options.publicUrl = value;
    } else if (serving && flag == "--scan-key") {
      line.options.keys.scan = value;
    } else if (serving && flag == "--driver-key") {
      line.options.keys.driver = value;
    } else if (serving && flag == "--version-key") {
      line.options.keys.version = value;
    } else if (serving && flag == "--app-dir") {
      line.options.appDir = value;
    } else if (serving && flag == "--threads") {
      if (!ReadInt(value, 1, 256, line.options.threads)) {
        error = "--threads needs a number from 1 to 256";
        return false;
      }
    } else if (serving && flag == "--rank") {
      if (value == "newest") {
        line.options.rank = OfferRank::kNewest;
      } else if (value == "identifier") {
        line.options.rank = OfferRank::kIdentifier;
      } else {
        error = "--rank needs newest or identifier";
        return false;
      }
    } else {
      error = "unknown option: " + flag;
      return false;
    }
  }
  if (keygen) {
    if (line.privateKeyPath.empty() || line.publicKeyPath.empty()) {
      error = "--private-key and --public-key are required";
      return false;
    }
    out = std::move(line);
    return true;
  }
  if (line.options.catalogPath.empty() || line.options.packagesDir.empty()) {
    error = "--catalog and --packages are required";
    return false;
  }
  if (serving && !haveListen) {
    error = "--listen is required";
    return false;
  }
  // The program refuses every answer it acts on that is not signed, so a
  // service without its keys would only ever be refused.
  if (serving && (line.options.keys.scan.empty() || line.options.keys.driver.empty())) {
    error = "--scan-key and --driver-key are required";
    return false;
  }
  if (serving && !line.options.appDir.empty() && line.options.keys.version.empty()) {
    error = "--app-dir needs --version-key";
    return false;
  }
  out = std::move(line);
  return true;
}

}  // namespace velkor::service
