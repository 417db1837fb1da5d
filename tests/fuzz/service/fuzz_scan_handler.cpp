// Arbitrary request bodies through the scan endpoint's handler, over a small
// in-memory catalog, for a request without system headers and for an exact
// system with both ranks. Every body gets one of the handler's statuses (the
// same for each), and a 200 carries a whole answer document.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "catalog_store.hpp"
#include "os_codes.hpp"
#include "scan_handler.hpp"

namespace {

using namespace velkor::service;

CatalogStore& Catalog() {
  static std::unique_ptr<CatalogStore> store = [] {
    std::string error;
    std::unique_ptr<CatalogStore> s = CatalogStore::Open(":memory:", error);
    if (!s) std::abort();
    const char* ids[][2] = {{"pci\\ven_8086&dev_27d8", "PCI\\VEN_8086&DEV_27D8"},
                            {"usb\\class_09", "USB\\Class_09"},
                            {"acpi\\pnp0a03", "ACPI\\PNP0A03"}};
    for (int p = 0; p < 3; ++p) {
      CatalogPackage package;
      package.fileName = "p" + std::to_string(p) + ".zip";
      package.md5 = "0123456789abcdef0123456789abcdef";
      CatalogDriver driver;
      driver.catalogKey = "k" + std::to_string(p);
      driver.infPath = "x/a&b<c>.inf";
      driver.date = p == 0 ? "2008-01-01" : "2010-06-30";
      driver.version = std::to_string(p) + ".0";
      driver.osMask = p == 2 ? AllOsCodeBits() : OsCodeBit(-1) | OsCodeBit(4);
      // The second driver serves exact systems by a rule, as the import writes them.
      const std::string rule = p == 1 ? "-,ntamd64.10.0...16299:0+1" : "";
      for (int i = 0; i <= p; ++i) {
        driver.ids.push_back(CatalogId{ids[i][0], ids[i][1], driver.osMask, rule, i == 0});
      }
      package.drivers.push_back(driver);
      if (!s->StorePackage(package, 0, error)) std::abort();
    }
    return s;
  }();
  return *store;
}

}  // namespace

void Check(const HandlerResult& result) {
  if (result.status != 200 && result.status != 400 && result.status != 413) std::abort();
  if (result.status == 200) {
    if (result.body.rfind("<NewDataSet", 0) != 0) std::abort();
    if (result.body.size() < 2 || result.body.compare(result.body.size() - 2, 2, "\r\n") != 0) std::abort();
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const HandlerResult legacy = HandleScanRequest(body, Catalog());
  Check(legacy);
  // The same body from a Windows 10 x64 that tells its build, ranked both ways:
  // the status never depends on the system.
  const WindowsSystem ten = MakeWindowsSystem(Arch::kAmd64, 10, 0, 19045);
  for (OfferRank rank : {OfferRank::kNewest, OfferRank::kIdentifier}) {
    const HandlerResult exact = HandleScanRequest(body, Catalog(), ScanOptions{ten, rank});
    Check(exact);
    if (exact.status != legacy.status) std::abort();
  }
  return 0;
}
