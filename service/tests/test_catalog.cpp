#include "test_catalog.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "os_codes.hpp"
#include "pq_handle.hpp"

namespace velkor::service::testing {

namespace {

std::string PostgresUrl() {
  const char* file = std::getenv("VELKOR_TEST_POSTGRES_FILE");
  if (file == nullptr || *file == '\0') return {};
  std::string url = ReadFile(file);
  while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
  return url;
}

// A schema of its own for each catalog: tests never see each other's rows.
std::string FreshSchemaLocation() {
  static std::atomic<int> counter{0};
  const std::string url = PostgresUrl();
  const std::string schema = "t" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  PgSession admin;
  std::string error;
  EXPECT_TRUE(admin.Connect(url, error)) << error;
  EXPECT_TRUE(admin.Execute(("DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema).c_str(),
                            &error))
      << error;
  return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

}  // namespace

bool UsingPostgres() { return !PostgresUrl().empty(); }

std::unique_ptr<CatalogStore> FreshCatalog() {
  std::string error;
  std::unique_ptr<CatalogStore> store = CatalogStore::Open(UsingPostgres() ? FreshSchemaLocation() : ":memory:", error);
  EXPECT_TRUE(store) << error;
  return store;
}

std::string FreshCatalogLocation(const TempFolder& folder) {
  return UsingPostgres() ? FreshSchemaLocation() : (folder.Path() / "catalog.db").string();
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
    driver.ids.push_back(CatalogId{key, id, mask, d.rule, d.firstIsHardwareId && driver.ids.empty()});
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
