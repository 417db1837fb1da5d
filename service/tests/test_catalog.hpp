#pragma once
// Small catalogs for the service tests, written straight into the store.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

#include "catalog_store.hpp"

namespace velkor::service::testing {

struct TestDriver {
  std::string file;     // package file name
  std::string date;     // YYYY-MM-DD
  std::string version;
  std::initializer_list<const char*> ids;  // as listed
  std::initializer_list<int> os = {-1, 4};
  std::string inf = "drv/a.inf";
  bool firstIsHardwareId = false;  // the first ID heads a model line; the rest follow
  std::string rule = {};  // the serving rule of every ID (serving_rule.hpp)
};

// The store the tests run against: SQLite, or (when VELKOR_TEST_POSTGRES_FILE
// names a file holding a server's URL, as the ctest fixture writes it) a fresh
// schema of that PostgreSQL server for each catalog.
bool UsingPostgres();
// A new, empty catalog: in memory, or a fresh PostgreSQL schema.
std::unique_ptr<CatalogStore> FreshCatalog();
class TempFolder;
// Where a new, empty catalog lives: a file in folder, or a fresh schema's URL.
std::string FreshCatalogLocation(const TempFolder& folder);
// Stores the driver as a package of its own; returns its catalog key.
std::string AddDriver(CatalogStore& store, const TestDriver& driver);

// A fresh folder under the system's temporary folder, removed on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace velkor::service::testing
