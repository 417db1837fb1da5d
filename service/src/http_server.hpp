#pragma once
// The HTTP endpoints of velkor-service over the catalog (see docs/protocol.md,
// "Update service"). Requests are served by a fixed pool of worker threads.

#include <filesystem>
#include <memory>
#include <string>

#include "answer_signing.hpp"
#include "connection_guard.hpp"
#include "feedback_store.hpp"
#include "scan_handler.hpp"

namespace velkor::service {

// Where scans, driver lookups and package names are answered from.
enum class OfferLookup {
  kIndex,  // the in-memory index of the catalog's current generation
  kSql,    // the catalog store, request by request
};

struct ServiceOptions {
  std::string catalogPath;  // an SQLite file or a postgresql:// URL
  std::string feedbackPath;  // empty: DefaultFeedbackLocation of the catalog
  int feedbackPerHour = 10;  // reports one address may send within an hour (0: no limit)
  FeedbackQuota feedbackQuota;
  std::filesystem::path packagesDir;
  std::filesystem::path appDir;  // empty: the self-update endpoints answer 404
  std::string host = "127.0.0.1";
  int port = 8750;  // 0: any free port (see UpdateService::Port)
  std::string publicUrl;  // empty: http://HOST:PORT/
  OfferRank rank = OfferRank::kNewest;
  OfferLookup lookup = OfferLookup::kIndex;
  int lookIntervalMs = 500;  // how often an SQLite catalog is looked at for a new generation
  ConnectionLimits limits;   // worker threads, per-address cap, deadlines
  AnswerKeyFiles keys;  // the private keys that sign the answers
};

class UpdateService {
 public:
  explicit UpdateService(ServiceOptions options);
  ~UpdateService();
  UpdateService(const UpdateService&) = delete;
  UpdateService& operator=(const UpdateService&) = delete;

  // Reads the signing keys, opens the catalog and binds the socket; false with
  // the reason in error.
  bool Bind(std::string& error);
  int Port() const;
  const std::string& PublicUrl() const;
  // Serves until Stop (from another thread or a signal watcher).
  bool Run();
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velkor::service
