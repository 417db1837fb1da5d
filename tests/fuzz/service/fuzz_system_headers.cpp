// Arbitrary values of the system headers a scan request may carry (four values
// separated by line feeds: version, architecture, product type, suite mask).
// What is read must be written again in the component's form and read back the
// same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "system_headers.hpp"

namespace {

using namespace velkor::network;

std::optional<ReportedWindows> Read(const std::map<std::string, std::string>& headers) {
  return ReadWindowsHeaders([&](const char* name) {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const char* names[] = {kWindowsVersionHeader, kWindowsArchitectureHeader, kWindowsProductHeader,
                         kWindowsSuiteHeader};
  std::map<std::string, std::string> headers;
  std::size_t start = 0;
  for (const char* name : names) {
    const std::size_t end = input.find('\n', start);
    headers[name] = std::string(input.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  const std::optional<ReportedWindows> read = Read(headers);
  if (!read) return 0;
  const std::string lines = FormatWindowsHeaders(*read);
  std::map<std::string, std::string> again;
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = lines.find("\r\n", at);
    const std::size_t colon = lines.find(": ", at);
    if (end == std::string::npos || colon == std::string::npos || colon > end) std::abort();
    again[lines.substr(at, colon - at)] = lines.substr(colon + 2, end - colon - 2);
    at = end + 2;
  }
  const std::optional<ReportedWindows> back = Read(again);
  if (!back || back->major != read->major || back->minor != read->minor || back->build != read->build ||
      back->architecture != read->architecture || back->productType != read->productType ||
      back->suiteMask != read->suiteMask) {
    std::abort();
  }
  return 0;
}
