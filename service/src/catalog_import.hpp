#pragma once
// velkor-service import: brings the catalog in line with a packages folder.
// Every package is read whole before anything of it is stored, and stored in one
// transaction; a package that cannot be read is reported and left out (and taken
// out of the catalog if an earlier version of it was there).

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "catalog_store.hpp"

namespace velkor::service {

struct ImportSummary {
  int added = 0;
  int updated = 0;
  int unchanged = 0;
  int removed = 0;
  int failed = 0;
};

ImportSummary ImportCatalog(CatalogStore& store, const std::filesystem::path& packagesDir,
                            std::ostream& log);

// Reads one package (and its sidecar, when present) into a catalog record.
// fileName is the package's name relative to the packages folder.
bool ReadCatalogPackage(const std::filesystem::path& file, const std::string& fileName,
                        CatalogPackage& out, std::string& error);

// The releases of WindowsReleases() that some ID of the package serves.
std::vector<bool> PackageReleases(const CatalogPackage& package);

// Package files the importer looks at: the kinds the client can unpack or run.
bool IsPackageFileName(const std::string& fileName);

}  // namespace velkor::service
