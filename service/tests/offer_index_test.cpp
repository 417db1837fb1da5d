#include <gtest/gtest.h>

#include <random>

#include "offer_index.hpp"
#include "os_codes.hpp"
#include "scan_handler.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

// A generated catalog with what makes offers hard: generic IDs that a thousand
// drivers list, drivers of one date and one version (decided by import order),
// IDs written in different letter cases, masks with -1 and 11, serving rules.
class GeneratedCatalog {
 public:
  explicit GeneratedCatalog(CatalogStore& store) : random_(20240611) {
    const char* generic[] = {"usb\\class_09", "pci\\cc_0300", "hdaudio\\func_01"};
    const char* rules[] = {"", "", "-,ntx86,ntamd64:0+1", "ntamd64.10.0...16299:0", "ntamd64,ntamd64.10.0...19041:1",
                           "ntx86.6.1:0;ntamd64.6.0.3:0"};
    std::vector<CatalogPackage> batch;
    for (int p = 0; p < 900; ++p) {
      CatalogPackage package;
      package.fileName = "gen/p" + std::to_string(p) + (p % 3 ? ".zip" : ".cab");
      package.size = 1000 + p;
      package.md5 = "md5-" + std::to_string(p);
      package.sha256 = "sha";
      package.isInstall = p % 7 != 0;
      package.isSpecificCase = p % 11 == 0;
      const int drivers = 1 + static_cast<int>(Pick(3) == 0);
      for (int d = 0; d < drivers; ++d) {
        CatalogDriver driver;
        driver.catalogKey = "k" + std::to_string(p) + "-" + std::to_string(d);
        driver.infPath = "drv/" + std::to_string(d) + ".inf";
        driver.date = dates_[Pick(dates_.size())];
        driver.version = versions_[Pick(versions_.size())];
        driver.signer = "Signer " + std::to_string(Pick(5));
        for (int code : KnownOsCodes()) {
          if (Pick(3) == 0) driver.osMask |= OsCodeBit(code);
        }
        if (Pick(2) == 0) driver.osMask |= OsCodeBit(-1) | OsCodeBit(11);
        const int ids = 1 + static_cast<int>(Pick(6));
        for (int i = 0; i < ids; ++i) {
          std::string key = Pick(4) == 0 ? generic[Pick(3)] : "pci\\ven_" + std::to_string(Pick(300));
          if (std::any_of(driver.ids.begin(), driver.ids.end(), [&](const CatalogId& id) { return id.key == key; })) {
            continue;
          }
          std::string listed = key;
          if (Pick(2) == 0) {
            for (char& c : listed) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
          }
          driver.ids.push_back(CatalogId{key, listed, driver.osMask, rules[Pick(6)], Pick(2) == 0});
        }
        package.drivers.push_back(std::move(driver));
      }
      batch.push_back(std::move(package));
    }
    std::string error;
    EXPECT_TRUE(store.StorePackages(batch, 0, error)) << error;
    // Generic IDs listed by a thousand drivers of one more package.
    CatalogPackage many;
    many.fileName = "gen/many.zip";
    many.md5 = "md5-many";
    for (int d = 0; d < 1000; ++d) {
      CatalogDriver driver;
      driver.catalogKey = "m" + std::to_string(d);
      driver.infPath = "m/" + std::to_string(d) + ".inf";
      driver.date = dates_[Pick(dates_.size())];
      driver.version = versions_[Pick(versions_.size())];
      driver.osMask = d % 5 == 0 ? OsCodeBit(11) : OsCodeBit(4);
      driver.ids.push_back(CatalogId{"usb\\class_09", "USB\\Class_09", driver.osMask, "", false});
      many.drivers.push_back(std::move(driver));
    }
    EXPECT_TRUE(store.StorePackage(many, 0, error)) << error;
    EXPECT_TRUE(store.PublishGeneration(error)) << error;
  }

  std::string Request() {
    const char* osids[] = {"-1", "11", "4", "9", "7", "12", "6", "x"};
    const char* unreadable[] = {"2006--", "21.06.2006--", "2006-21-06"};
    std::string body = "<newdataset>\r\n";
    const int devices = 1 + static_cast<int>(Pick(6));
    for (int d = 0; d < devices; ++d) {
      std::string ids;
      const int count = 1 + static_cast<int>(Pick(12));
      for (int i = 0; i < count; ++i) {
        const std::size_t kind = Pick(10);
        std::string id = kind == 0   ? "USB\\CLASS_09"
                         : kind == 1 ? "pci\\cc_0300"
                         : kind == 2 ? "no\\such_id"
                                     : "PCI\\VEN_" + std::to_string(Pick(320));
        ids += id + "|";
        if (Pick(8) == 0) ids += id + "|";  // the same ID again
      }
      const std::size_t dateKind = Pick(4);
      const std::string date = dateKind == 0   ? ""
                               : dateKind == 1 ? dates_[Pick(dates_.size())]  // a driver's own date
                               : dateKind == 2 ? unreadable[Pick(3)]
                                               : "2009-0" + std::to_string(1 + Pick(9)) + "-1" + std::to_string(Pick(10));
      body += "<device>\r\n<driverid>" + std::to_string(Pick(40)) + "</driverid>\r\n<osid>" + osids[Pick(8)] +
              "</osid>\r\n" + (date.empty() ? "<date/>" : "<date>" + date + "</date>") +
              "\r\n<matchingid>" + ids + "</matchingid>\r\n</device>\r\n";
    }
    return body + "</newdataset>\r\n";
  }

  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
  const std::vector<std::string> dates_ = {"2006-06-21", "2007-01-01", "2008-03-15", "2009-05-05", "2010-01-01",
                                           "2010-12-31", "2011-07-04", "2012-02-29"};
  const std::vector<std::string> versions_ = {"1.0", "1.2", "1.10", "2.0.0.1", "2.0.0.1.5", "10.0"};
};

TEST(OfferIndex, AnswersByteForByteWhatTheStoreAnswers) {
  std::unique_ptr<CatalogStore> store = testing::FreshCatalog();
  GeneratedCatalog catalog(*store);
  std::string error;
  const std::shared_ptr<OfferIndex> index = OfferIndex::Build(*store, error);
  ASSERT_TRUE(index) << error;
  EXPECT_EQ(index->Stats().generation, 1);
  EXPECT_EQ(static_cast<std::int64_t>(index->Stats().ids), store->IdCount());
  EXPECT_EQ(index->PackageCount(), store->PackageCount());

  const ScanOptions variants[] = {
      {std::nullopt, OfferRank::kNewest},
      {MakeWindowsSystem(Arch::kAmd64, 10, 0, 19045), OfferRank::kNewest},
      {MakeWindowsSystem(Arch::kX86, 6, 1, 7601, 3), OfferRank::kNewest},
      {std::nullopt, OfferRank::kIdentifier},
      {MakeWindowsSystem(Arch::kAmd64, 10, 0, 16299), OfferRank::kIdentifier},
  };
  int records = 0;
  for (int r = 0; r < 2000; ++r) {
    const std::string request = catalog.Request();
    const ScanOptions& options = variants[r % 5];
    const HandlerResult fromStore = HandleScanRequest(request, *store, options);
    const HandlerResult fromIndex = HandleScanRequest(request, *index, options);
    ASSERT_EQ(fromStore.status, 200) << request;
    ASSERT_TRUE(fromIndex.body == fromStore.body) << "request " << r << ":\n" << request;
    for (std::size_t at = 0; (at = fromStore.body.find("<Table>", at)) != std::string::npos; ++at) ++records;
  }
  EXPECT_GT(records, 5000);  // the requests were offered plenty, not nothing

  for (const char* key : {"k0-0", "k899-0", "m999", "nope", ""}) {
    const auto a = store->FindDriver(key);
    const auto b = index->FindDriver(key);
    ASSERT_EQ(a.has_value(), b.has_value()) << key;
    if (a) {
      EXPECT_EQ(a->fileName + a->md5, b->fileName + b->md5) << key;
    }
  }
  for (const char* name : {"gen/p0.cab", "gen/p1.zip", "gen/many.zip", "gen/p900.zip", ""}) {
    EXPECT_EQ(store->HasPackage(name), index->HasPackage(name)) << name;
  }
}

TEST(OfferIndex, ReportsWhatItHolds) {
  std::unique_ptr<CatalogStore> store = testing::FreshCatalog();
  testing::AddDriver(*store, {"a.zip", "2010-01-01", "1.0", {"PCI\\VEN_1&DEV_2", "USB\\CLASS_09"}});
  testing::AddDriver(*store, {"b.zip", "2011-01-01", "2.0", {"USB\\CLASS_09"}});
  std::string error;
  const std::shared_ptr<OfferIndex> index = OfferIndex::Build(*store, error);
  ASSERT_TRUE(index) << error;
  const OfferIndexStats& stats = index->Stats();
  EXPECT_EQ(stats.ids, 3u);
  EXPECT_EQ(stats.distinctIds, 2u);
  EXPECT_EQ(stats.drivers, 2u);
  EXPECT_EQ(stats.packages, 2u);
  EXPECT_GT(stats.bytes, 0u);
  EXPECT_EQ(stats.generation, 0);  // nothing published
}

}  // namespace
}  // namespace velkor::service
