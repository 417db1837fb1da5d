#include "catalog_store.hpp"

#include "postgres_catalog_store.hpp"
#include "sqlite_catalog_store.hpp"

namespace velkor::service {

bool IsPostgresLocation(std::string_view location) {
  return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::unique_ptr<CatalogStore> CatalogStore::Open(const std::string& location, std::string& error) {
  if (IsPostgresLocation(location)) return PostgresCatalogStore::Open(location, error);
  return SqliteCatalogStore::Open(location, error);
}

bool CatalogStore::StorePackage(const CatalogPackage& package, std::int64_t importedAt,
                                std::string& error) {
  return StorePackages({package}, importedAt, error);
}

}  // namespace velkor::service
