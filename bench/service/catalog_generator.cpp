// Writes a synthetic catalog straight into the database: PACKAGES packages with
// ten IDs each. Every four packages are versions of one driver for one device
// (same IDs, dates a few months apart); one package in a hundred also lists the
// generic compatible ID usb\class_09, so some lookups sort many rows. It also
// writes the 60-device scan request that the load driver sends.
//   velkor_catalog_generator CATALOG REQUEST_FILE [PACKAGES]
// CATALOG is an SQLite file or a postgresql:// URL.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "catalog_store.hpp"
#include "os_codes.hpp"

namespace {

using namespace velkor::service;

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

constexpr int kVersions = 4;
constexpr int kVendors = 500;

std::string DeviceIdBase(int device) {
  return "pci\\ven_" + Hex(0x1000 + device % kVendors, 4) + "&dev_" + Hex(device / kVendors, 4);
}

CatalogPackage MakePackage(int index) {
  const int device = index / kVersions;
  const int version = index % kVersions;
  const std::string base = DeviceIdBase(device);
  CatalogPackage package;
  package.fileName = "gen/" + std::to_string(device) + "-" + std::to_string(version) + ".zip";
  package.size = 1000000 + index;
  package.md5 = Hex(static_cast<unsigned>(index) * 2654435761u, 8) + "00000000000000000000000000";
  package.sha256 = package.md5 + package.md5;
  CatalogDriver driver;
  driver.catalogKey = "gen" + std::to_string(index);
  driver.infPath = "drv/n" + std::to_string(device) + ".inf";
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2005 + version, 1 + device % 12, 1 + device % 28);
  driver.date = date;
  driver.version = std::to_string(1 + version) + "." + std::to_string(device % 100) + ".0.0";
  driver.provider = "Vendor " + std::to_string(device % kVendors);
  driver.signer = driver.provider;
  driver.osMask = device % 10 == 0 ? OsCodeBit(9) | OsCodeBit(-1) : AllOsCodeBits();
  for (int j = 0; j < 8; ++j) {
    std::string id = base + "&subsys_" + Hex(0x10000000u + j, 8);
    if (j == 7 && index % 100 == 0) id = "usb\\class_09";
    driver.ids.push_back(CatalogId{id, id, driver.osMask});
  }
  driver.ids.push_back(CatalogId{base, base, driver.osMask});
  driver.ids.push_back(CatalogId{base + "&cc_0200", base + "&cc_0200", driver.osMask});
  package.drivers.push_back(std::move(driver));
  return package;
}

std::string MakeRequest(int packages) {
  const int devices = packages / kVersions;
  std::string xml = "<newdataset>\r\n";
  for (int k = 0; k < 60; ++k) {
    const int device = static_cast<int>((k * 7919L) % devices);
    const std::string base = DeviceIdBase(device);
    std::string upper = base;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string subsys = "&SUBSYS_" + Hex(0x10000000u + k % 8, 8);
    std::string ids = upper + subsys + "&REV_01|" + base + subsys + "|" + base + "|" + upper +
                      "&REV_01|" + upper + "&CC_020000|" + upper + "&CC_0200|" +
                      upper.substr(0, 12) + "|PCI\\CC_020000|PCI\\CC_0200";
    if (k % 10 == 0) ids += "|USB\\Class_09";
    std::string escaped;
    for (char c : ids) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    xml += "<device>\r\n<driverid>" + std::to_string(k) + "</driverid>\r\n<osid>-1</osid>\r\n";
    xml += k % 3 == 0 ? "<date/>\r\n" : "<date>2006-0" + std::to_string(1 + k % 9) + "-15</date>\r\n";
    xml += "<matchingid>" + escaped + "</matchingid>\r\n</device>\r\n";
  }
  return xml + "</newdataset>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: velkor_catalog_generator CATALOG REQUEST_FILE [PACKAGES]\n";
    return 2;
  }
  const int packages = argc > 3 ? std::atoi(argv[3]) : 100000;
  if (packages < kVersions * 60) {
    std::cerr << "need at least " << kVersions * 60 << " packages\n";
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(argv[1], error);
  if (!store) {
    std::cerr << "cannot open " << argv[1] << ": " << error << "\n";
    return 1;
  }
  constexpr int kBatch = 5000;
  for (int first = 0; first < packages; first += kBatch) {
    std::vector<CatalogPackage> batch;
    for (int i = first; i < first + kBatch && i < packages; ++i) batch.push_back(MakePackage(i));
    if (!store->StorePackages(batch, 0, error)) {
      std::cerr << "storing packages from " << first << " failed: " << error << "\n";
      return 1;
    }
  }
  if (!store->PublishGeneration(error)) {
    std::cerr << "cannot publish the catalog: " << error << "\n";
    return 1;
  }
  std::ofstream(argv[2], std::ios::binary) << MakeRequest(packages);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "catalog: " << store->PackageCount() << " packages, " << store->IdCount() << " IDs in "
            << seconds << " s\n";
  return 0;
}
