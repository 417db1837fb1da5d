#include "test_catalog.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

#include "os_codes.hpp"

namespace velkor::service::testing {

std::unique_ptr<CatalogStore> MemoryCatalog() {
  std::string error;
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(":memory:", error);
  EXPECT_TRUE(store) << error;
  return store;
}

std::string AddDriver(CatalogStore& store, const TestDriver& d) {
  CatalogPackage package;
  package.fileName = d.file;
  package.size = 1;
  package.md5 = "md5-of-" + d.file;
  package.sha256 = "sha";
  CatalogDriver driver;
  driver.catalogKey = "key-" + d.file;
  driver.infPath = d.inf;
  driver.date = d.date;
  driver.version = d.version;
  driver.signer = "Signer of " + d.file;
  std::uint32_t mask = 0;
  for (int code : d.os) mask |= OsCodeBit(code);
  driver.osMask = mask;
  for (const char* id : d.ids) {
    std::string key = id;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    driver.ids.push_back(CatalogId{key, id, mask, "", d.firstIsHardwareId && driver.ids.empty()});
  }
  package.drivers.push_back(driver);
  std::string error;
  EXPECT_TRUE(store.StorePackage(package, 0, error)) << error;
  return driver.catalogKey;
}

TempFolder::TempFolder() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("velkor-service-test-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velkor::service::testing
