// Which offers change when the service ranks drivers as Windows ranks
// identifiers (--rank identifier) instead of by date alone (the default): runs
// one scan request through both over an imported catalog and prints every
// record that differs.
//   velkor_rank_compare CATALOG REQUEST_FILE [MAJOR.MINOR.BUILD ARCH]
// With a version and an architecture the request is judged for that exact
// system (workstation), as Network.dll's headers would make it.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "base/utf.hpp"
#include "catalog_store.hpp"
#include "scan_handler.hpp"

namespace {

using namespace velkor::service;

std::string Field(const std::string& record, const std::string& name) {
  const std::size_t open = record.find("<" + name + ">");
  if (open == std::string::npos) return {};
  const std::size_t start = open + name.size() + 2;
  return record.substr(start, record.find("</" + name + ">", start) - start);
}

// (driverid, hardwareidentifier) -> "version hardwareid" of each record.
std::map<std::pair<std::string, std::string>, std::string> Records(const std::string& answer) {
  std::map<std::pair<std::string, std::string>, std::string> records;
  for (std::size_t at = 0; (at = answer.find("<Table>", at)) != std::string::npos;) {
    const std::size_t end = answer.find("</Table>", at);
    const std::string record = answer.substr(at, end - at);
    records[{Field(record, "driverid"), Field(record, "hardwareidentifier")}] =
        Field(record, "infpath") + " " + Field(record, "version") + " (" + Field(record, "infdate") + ")";
    at = end;
  }
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::cerr << "usage: velkor_rank_compare CATALOG REQUEST_FILE [MAJOR.MINOR.BUILD ARCH]\n";
    return 2;
  }
  std::string error;
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(argv[1], error);
  if (!store) {
    std::cerr << "cannot open " << argv[1] << ": " << error << "\n";
    return 1;
  }
  std::ifstream in(argv[2], std::ios::binary);
  const std::string request((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ScanOptions options;
  if (argc == 5) {
    unsigned major = 0, minor = 0, build = 0;
    const std::optional<Arch> arch = ArchFromName(velkor::FromUtf8(argv[4]));
    if (std::sscanf(argv[3], "%u.%u.%u", &major, &minor, &build) != 3 || !arch) {
      std::cerr << "not a version and an architecture: " << argv[3] << " " << argv[4] << "\n";
      return 2;
    }
    options.system = MakeWindowsSystem(*arch, major, minor, build);
  }
  const HandlerResult newest = HandleScanRequest(request, *store, options);
  options.rank = OfferRank::kIdentifier;
  const HandlerResult identifier = HandleScanRequest(request, *store, options);
  if (newest.status != 200 || identifier.status != 200) {
    std::cerr << "the request was answered " << newest.status << "\n";
    return 1;
  }
  const auto a = Records(newest.body);
  const auto b = Records(identifier.body);
  int changed = 0;
  for (const auto& [key, offer] : a) {
    const auto other = b.find(key);
    const std::string now = other == b.end() ? "(none)" : other->second;
    if (now == offer) continue;
    ++changed;
    std::cout << "  device " << key.first << " " << key.second << ": " << offer << " -> " << now << "\n";
  }
  std::cout << a.size() << " records; " << changed << " change with the identifier rank\n";
  return 0;
}
