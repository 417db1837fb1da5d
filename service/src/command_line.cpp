#include "command_line.hpp"

#include <charconv>

namespace velkor::service {

const char* const kUsage =
    "usage: velkor-service import --catalog FILE --packages DIR\n"
    "       velkor-service serve --catalog FILE --packages DIR --listen HOST:PORT|unix:PATH\n"
    "                            --scan-key FILE --driver-key FILE [--version-key FILE]\n"
    "                            [--public-url URL] [--app-dir DIR] [--threads N]\n"
    "                            [--rank newest|identifier] [--lookup index|sql]\n"
    "                            [--max-connections-per-address N] [--max-requests-per-address N]\n"
    "                            [--request-deadline SECONDS]\n"
    "                            [--feedback LOCATION] [--feedback-quota BYTES] [--feedback-per-hour N]\n"
    "       velkor-service keygen --private-key FILE --public-key FILE\n"
    "  --catalog and --feedback take an SQLite file or a postgresql:// URL\n";

namespace {

template <typename Int>
bool ReadInt(const std::string& text, Int low, Int high, Int& value) {
  Int v = 0;
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
    } else if (serving && flag == "--listen" && value.rfind("unix:", 0) == 0 && value.size() > 5) {
      // A Unix socket, for a proxy on the same machine.
      line.options.host = value;
      line.options.port = 0;
      haveListen = true;
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
      if (!ReadInt(value, 1, 256, line.options.limits.workerThreads)) {
        error = "--threads needs a number from 1 to 256";
        return false;
      }
    } else if (serving && flag == "--max-connections-per-address") {
      if (!ReadInt(value, 0, 100000, line.options.limits.maxConnectionsPerAddress)) {
        error = "--max-connections-per-address needs a number from 0 (no cap) to 100000";
        return false;
      }
    } else if (serving && flag == "--max-requests-per-address") {
      if (!ReadInt(value, 0, 100000, line.options.limits.maxBusyPerAddress)) {
        error = "--max-requests-per-address needs a number from 0 (no cap) to 100000";
        return false;
      }
    } else if (serving && flag == "--request-deadline") {
      if (!ReadInt(value, 1, 3600, line.options.limits.requestDeadlineSeconds)) {
        error = "--request-deadline needs seconds from 1 to 3600";
        return false;
      }
    } else if (serving && flag == "--lookup") {
      if (value == "index") {
        line.options.lookup = OfferLookup::kIndex;
      } else if (value == "sql") {
        line.options.lookup = OfferLookup::kSql;
      } else {
        error = "--lookup needs index or sql";
        return false;
      }
    } else if (serving && flag == "--feedback") {
      line.options.feedbackPath = value;
    } else if (serving && flag == "--feedback-quota") {
      std::int64_t quota = 0;
      if (!ReadInt<std::int64_t>(value, 0, std::int64_t{1} << 50, quota)) {
        error = "--feedback-quota needs a number of bytes (0: no quota)";
        return false;
      }
      line.options.feedbackQuota.maxStoredBytes = quota;
    } else if (serving && flag == "--feedback-per-hour") {
      if (!ReadInt<int>(value, 0, 1000000, line.options.feedbackPerHour)) {
        error = "--feedback-per-hour needs a number of reports (0: no limit)";
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
  if (serving && line.options.host.rfind("unix:", 0) == 0 && line.options.publicUrl.empty()) {
    error = "--listen unix:PATH needs --public-url (the address clients reach the proxy at)";
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
