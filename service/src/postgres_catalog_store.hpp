#pragma once
// The catalog in a PostgreSQL database, shared by every serving node: `import`
// writes it (one package per transaction, its ID rows by COPY) and publishes a
// new generation with NOTIFY on the channel "velkor_catalog" (the payload is the
// generation); each node LISTENs and rebuilds its index.

#include <memory>
#include <string>

#include "catalog_store.hpp"
#include "pq_handle.hpp"

namespace velkor::service {

class PostgresCatalogStore final : public CatalogStore {
 public:
  static std::unique_ptr<PostgresCatalogStore> Open(const std::string& url, std::string& error);

  bool Usable() const override { return PQstatus(session_.Raw()) == CONNECTION_OK; }
  std::optional<PackageStamp> FindStamp(const std::string& fileName) override;
  std::vector<std::string> PackageNames() override;
  bool StorePackages(const std::vector<CatalogPackage>& packages, std::int64_t importedAt,
                     std::string& error) override;
  bool RemovePackage(const std::string& fileName) override;
  bool PublishGeneration(std::string& error) override;

  bool WalkCandidates(const std::string& id, const std::string& installedDate,
                      std::uint32_t legacyMask, const CandidateVisitor& visit) override;
  bool DriverFields(std::int64_t driverId, OfferDriver& out) override;
  std::optional<PackageLocation> FindDriver(const std::string& catalogKey) override;
  bool HasPackage(const std::string& fileName) override;
  std::int64_t PackageCount() override;
  std::int64_t IdCount() override;
  std::optional<std::int64_t> Generation() override;
  bool ReadSnapshot(SnapshotSink& sink, std::int64_t& generation, std::string& error) override;
  bool ListenForGenerations() override;
  bool WaitForGeneration(int timeoutMs) override;

 private:
  PostgresCatalogStore() = default;
  bool AddPackageRows(const CatalogPackage& package, std::int64_t importedAt, std::string& error);

  PgSession session_;
  bool listening_ = false;
};

// Creates the tables of a PostgreSQL catalog or feedback store when missing,
// under an advisory lock so that nodes starting together do not collide.
bool CreatePostgresTables(PgSession& session, const char* ddl, std::string& error);

}  // namespace velkor::service
