#include "http_server.hpp"

#include <httplib.h>
#include <tinyxml2.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iostream>
#include <mutex>
#include <system_error>

#include "base/signed_version_file.hpp"
#include "base/text.hpp"
#include "base/utf.hpp"
#include "byte_range.hpp"
#include "package_names.hpp"
#include "catalog_follower.hpp"
#include "digest.hpp"
#include "feedback_rate.hpp"
#include "feedback_store.hpp"
#include "scan_handler.hpp"
#include "store_pool.hpp"
#include "system_headers.hpp"

namespace velkor::service {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxFeedbackBytes = 64 * 1024;
constexpr std::size_t kMaxQueryValueBytes = 1024;
constexpr const char* kText = "text/plain; charset=utf-8";

void Answer(httplib::Response& res, int status, const std::string& body,
            const char* type = kText) {
  res.status = status;
  res.set_content(body, type);
}

// Puts a signature into the answer's headers. A purpose the service has a key
// for but could not sign is a failure of the service, never an unsigned 200.
void Sign(httplib::Response& res, const AnswerSigning& signing, SignaturePurpose purpose,
          const std::optional<SignatureHeaders>& headers) {
  if (headers) {
    res.set_header(kKeyIdHeader, headers->keyId);
    res.set_header(kSignatureHeader, headers->signature);
  } else if (signing.Signs(purpose)) {
    Answer(res, 500, "answer not signed\n");
  }
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

const char* PackageContentType(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::wstring extension = dot == std::string::npos ? L"" : AsciiToLower(FromUtf8(name.substr(dot)));
  if (extension == L".zip") return "application/zip";
  if (extension == L".cab") return "application/vnd.ms-cab-compressed";
  if (extension == L".rar") return "application/vnd.rar";
  return "application/octet-stream";
}

// The file, when it lies inside folder once links are resolved; empty otherwise.
fs::path ResolveInside(const fs::path& folder, const std::string& name) {
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (error) return {};
  const fs::path file = fs::canonical(root / fs::path(name), error);
  if (error) return {};
  const auto [rootEnd, fileIt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (rootEnd != root.end() || fileIt == file.end()) return {};
  if (!fs::is_regular_file(file, error)) return {};
  return file;
}

// Answers with the file, or the one range of it that the request asks for.
void ServeFile(const httplib::Request& req, httplib::Response& res, const fs::path& file,
               const char* type) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (error || !*in) return Answer(res, 404, "not found\n");
  // The library's own range handling promises more bytes than it sends when a
  // range runs past the end of the file; ranges are handled here instead.
  const_cast<httplib::Request&>(req).ranges.clear();
  const ByteRange range = ReadByteRange(req.get_header_value("Range"), size);
  res.set_header("Accept-Ranges", "bytes");
  if (range.kind == ByteRange::Kind::kUnsatisfiable) {
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return Answer(res, 416, "range not satisfiable\n");
  }
  std::uint64_t first = 0;
  std::uint64_t length = size;
  if (range.kind == ByteRange::Kind::kPart) {
    first = range.first;
    length = range.length;
    res.status = 206;
    res.set_header("Content-Range", "bytes " + std::to_string(first) + "-" +
                                        std::to_string(first + length - 1) + "/" + std::to_string(size));
  }
  res.set_content_provider(
      static_cast<std::size_t>(length), type,
      [in, first](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        char buffer[1 << 16];
        in->clear();
        in->seekg(static_cast<std::streamoff>(first + offset));
        const std::size_t want = std::min(length, sizeof buffer);
        in->read(buffer, static_cast<std::streamsize>(want));
        const std::streamsize got = in->gcount();
        if (got <= 0) return false;  // the file shrank under us: end the response
        return sink.write(buffer, static_cast<std::size_t>(got));
      });
}

// The self-update's version file: an INI text with the version from the app
// folder's VERSION file, the setup program's address on this service and its
// SHA-256; the program runs the setup only when it has exactly that digest.
// The signature goes into the file (base/signed_version_file.hpp).
bool BuildVersionLines(const fs::path& appDir, const std::string& publicUrl, const std::string& setupSha256,
                       std::string& out) {
  std::ifstream in(appDir / "VERSION");
  std::string version;
  if (!in || !std::getline(in, version)) return false;
  const std::wstring trimmed = Trim(FromUtf8(version));
  if (trimmed.empty() || trimmed.size() > 64) return false;
  for (wchar_t c : trimmed) {
    if (!(c == L'.' || (c >= L'0' && c <= L'9'))) return false;
  }
  out = "[RESOURCESTRING]\r\nVERSION=" + ToUtf8(trimmed) + "\r\nDOWNLOADURL=" + publicUrl + "v1/app/setup\r\nSHA256=" +
        setupSha256 + "\r\n";
  return true;
}

// The exact system of a request that tells it in its headers.
std::optional<WindowsSystem> RequestSystem(const httplib::Request& req) {
  const std::optional<network::ReportedWindows> reported = network::ReadWindowsHeaders(
      [&req](const char* name) { return req.get_header_value(name); });
  if (!reported) return std::nullopt;
  const std::optional<Arch> arch = ArchFromName(FromUtf8(reported->architecture));
  if (!arch) return std::nullopt;
  return MakeWindowsSystem(*arch, reported->major, reported->minor, reported->build,
                           reported->productType, reported->suiteMask);
}

// The client's address: the peer's, or, on the Unix socket (where only the
// proxy on this machine connects), what the proxy says in X-Real-IP.
std::string ClientAddress(const httplib::Request& req) {
  if (!req.remote_addr.empty()) return req.remote_addr;
  const std::string told = req.get_header_value("X-Real-IP");
  if (told.size() > 45 || told.find_first_not_of("0123456789abcdefABCDEF.:") != std::string::npos) return {};
  return told;
}

// The largest body each endpoint reads; bodies announced larger are refused
// before they are read.
std::size_t MaxBodyBytes(const std::string& path) {
  if (path == "/v1/scan") return kMaxScanBodyBytes;
  if (path == "/v1/feedback") return kMaxFeedbackBytes;
  return 0;
}

// The request's lines telling the running Windows, as it sent them (httplib
// keeps a value without the blank after the colon): the answers that depend on
// them are signed over them.
std::string ToldWindows(const httplib::Request& req) {
  std::string lines;
  for (const char* name : {network::kWindowsVersionHeader, network::kWindowsArchitectureHeader,
                           network::kWindowsProductHeader, network::kWindowsSuiteHeader}) {
    if (req.has_header(name)) lines += std::string(name) + ": " + req.get_header_value(name) + "\r\n";
  }
  return lines;
}

// The setup program's SHA-256, worked out again only when its size or time
// stamp changes: every check of every client asks for it.
class SetupDigestCache {
 public:
  std::optional<std::string> Of(const fs::path& file) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error) return std::nullopt;
    const fs::file_time_type time = fs::last_write_time(file, error);
    if (error) return std::nullopt;
    {
      const std::lock_guard<std::mutex> lock(lock_);
      if (known_ && file == file_ && size == size_ && time == time_) return sha256_;
    }
    const std::optional<FileDigests> digests = DigestFile(file);
    if (!digests || digests->size != size) return std::nullopt;  // changed while read
    const std::lock_guard<std::mutex> lock(lock_);
    known_ = true;
    file_ = file;
    size_ = size;
    time_ = time;
    sha256_ = digests->sha256;
    return sha256_;
  }

 private:
  std::mutex lock_;
  bool known_ = false;
  fs::path file_;
  std::uintmax_t size_ = 0;
  fs::file_time_type time_{};
  std::string sha256_;
};

}  // namespace

struct UpdateService::Impl {
  explicit Impl(ServiceOptions o)
      : options(std::move(o)),
        stores([location = options.catalogPath](std::string& error) { return CatalogStore::Open(location, error); }),
        feedback([location = options.feedbackPath.empty() ? DefaultFeedbackLocation(options.catalogPath)
                                                           : options.feedbackPath,
                  quota = options.feedbackQuota](std::string& error) {
          return FeedbackStore::Open(location, quota, error);
        }),
        feedbackRate(options.feedbackPerHour),
        server(options.limits) {}

  ServiceOptions options;
  ConnectionPool<CatalogStore> stores;
  ConnectionPool<FeedbackStore> feedback;
  FeedbackRateLimit feedbackRate;
  std::unique_ptr<CatalogFollower> follower;  // with the in-memory index
  GuardedServer server;
  AnswerSigning signing;
  SetupDigestCache setupDigest;
  std::string publicUrl;
  int port = 0;

  void Routes();
  // Runs read with the catalog the answers come from: the current index, or a
  // store connection; answers 503 when there is none.
  template <typename Read>
  void WithCatalog(httplib::Response& res, Read read);
};

template <typename Read>
void UpdateService::Impl::WithCatalog(httplib::Response& res, Read read) {
  if (follower) {
    // Held for the whole request: a newer index swapped in meanwhile waits.
    const std::shared_ptr<OfferIndex> index = follower->Current();
    read(static_cast<CatalogReader&>(*index), index->Stats().generation);
    return;
  }
  std::string error;
  ConnectionPool<CatalogStore>::Lease store = stores.Acquire(error);
  if (!store) return Answer(res, 503, "catalog unavailable\n");
  read(static_cast<CatalogReader&>(*store), store->Generation().value_or(-1));
}

void UpdateService::Impl::Routes() {
  server.LimitBodies(MaxBodyBytes);

  server.Post("/v1/scan", [this](const httplib::Request& req, httplib::Response& res) {
    WithCatalog(res, [&](CatalogReader& catalog, std::int64_t) {
      const ScanOptions scan{RequestSystem(req), options.rank};
      HandlerResult result = HandleScanRequest(req.body, catalog, scan);
      // The answer is moved, not copied, into the response; the signature is
      // over the bytes that leave.
      res.status = result.status;
      res.body = std::move(result.body);
      res.set_header("Content-Type", result.contentType);
      if (res.status == 200) {
        Sign(res, signing, SignaturePurpose::kScanAnswer, signing.ScanAnswer(req.body, ToldWindows(req), res.body));
      }
    });
  });

  server.Get("/v1/driver", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string key = req.get_param_value("id");
    if (key.empty() || key.size() > kMaxQueryValueBytes) return Answer(res, 400, "missing id\n");
    // "os" is accepted for the client's sake; the key already names one driver.
    WithCatalog(res, [&](CatalogReader& catalog, std::int64_t) {
      const std::optional<PackageLocation> location = catalog.FindDriver(key);
      if (!location) return Answer(res, 404, "unknown driver\n");
      const std::string answer =
          publicUrl + "v1/packages/" + EncodePackageName(location->fileName) + "|" + location->md5;
      Answer(res, 200, answer);
      Sign(res, signing, SignaturePurpose::kDriverAnswer,
           signing.DriverAnswer(key, req.get_param_value("os"), ToldWindows(req), answer));
    });
  });

  server.Get(R"(/v1/packages/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    if (!IsSafePackageName(name)) return Answer(res, 404, "not found\n");
    bool known = false;
    WithCatalog(res, [&](CatalogReader& catalog, std::int64_t) {
      known = catalog.HasPackage(name);
      if (!known) Answer(res, 404, "not found\n");
    });
    if (!known) return;
    const fs::path file = ResolveInside(options.packagesDir, name);
    if (file.empty()) return Answer(res, 404, "not found\n");
    ServeFile(req, res, file, PackageContentType(name));
  });

  server.Post("/v1/feedback", [this](const httplib::Request& req, httplib::Response& res) {
    if (req.body.size() > kMaxFeedbackBytes) return Answer(res, 413, "feedback too large\n");
    FeedbackReport report;
    if (!ReadFeedbackDocument(req.body, report)) return Answer(res, 400, "malformed feedback\n");
    report.receivedAt = UtcNow();
    report.remote = ClientAddress(req);
    if (!feedbackRate.Admit(report.remote, FeedbackRateLimit::Clock::now())) {
      return Answer(res, 429, "too many feedback reports\n");
    }
    std::string error;
    ConnectionPool<FeedbackStore>::Lease store = feedback.Acquire(error);
    const FeedbackResult result = store ? store->Store(report) : FeedbackResult::kFailed;
    if (result == FeedbackResult::kOverQuota) return Answer(res, 507, "feedback quota reached\n");
    if (result != FeedbackResult::kStored) return Answer(res, 503, "feedback not stored\n");
    Answer(res, 200, "stored\n");
  });

  server.Get("/v1/app/version", [this](const httplib::Request&, httplib::Response& res) {
    const fs::path setup = options.appDir.empty() ? fs::path() : ResolveInside(options.appDir, "setup.exe");
    const std::optional<std::string> digest = setup.empty() ? std::nullopt : setupDigest.Of(setup);
    std::string lines;
    if (!digest || !BuildVersionLines(options.appDir, publicUrl, *digest, lines)) {
      return Answer(res, 404, "no version\n");
    }
    const std::optional<SignatureHeaders> signature = signing.VersionFile(lines);
    if (!signature) return Answer(res, 500, "version file not signed\n");
    Answer(res, 200, AppendVersionFileSignature(lines, signature->keyId, signature->signature));
  });

  server.Get("/v1/app/setup", [this](const httplib::Request& req, httplib::Response& res) {
    const fs::path file = options.appDir.empty() ? fs::path() : ResolveInside(options.appDir, "setup.exe");
    if (file.empty()) return Answer(res, 404, "no setup\n");
    ServeFile(req, res, file, "application/octet-stream");
  });

  server.Get("/v1/health", [this](const httplib::Request&, httplib::Response& res) {
    res.status = 503;
    res.set_content("{\"status\":\"catalog unavailable\"}\n", "application/json");
    WithCatalog(res, [&](CatalogReader& catalog, std::int64_t generation) {
      Answer(res, 200,
             "{\"status\":\"ok\",\"packages\":" + std::to_string(catalog.PackageCount()) +
                 ",\"generation\":" + std::to_string(generation) + "}\n",
             "application/json");
    });
  });
}

UpdateService::UpdateService(ServiceOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

UpdateService::~UpdateService() { Stop(); }

bool UpdateService::Bind(std::string& error) {
  Impl& s = *impl_;
  if (!s.signing.Load(s.options.keys, error)) return false;
  // Open once up front so that a bad catalog or feedback location is reported
  // at start-up.
  if (!s.stores.Acquire(error) || !s.feedback.Acquire(error)) return false;
  if (s.options.lookup == OfferLookup::kIndex) {
    s.follower = std::make_unique<CatalogFollower>(
        s.options.catalogPath, [](const std::string& line) { std::cout << "velkor-service: " << line << std::endl; },
        s.options.lookIntervalMs);
    if (!s.follower->Start(error)) {
      error = "cannot index the catalog: " + error;
      s.follower.reset();
      return false;
    }
  }
  s.server.set_payload_max_length(kMaxScanBodyBytes);
  s.Routes();
  if (s.options.host.rfind("unix:", 0) == 0) {
    // A socket left by an earlier run is replaced; anything else is not.
    const fs::path socket = s.options.host.substr(5);
    std::error_code ignored;
    if (fs::is_socket(socket, ignored)) fs::remove(socket, ignored);
    s.server.set_address_family(AF_UNIX);
    s.port = s.server.bind_to_port(socket.string(), 80) ? 0 : -1;
    // The proxy runs as a user of its own; the folder decides who may connect.
    using P = fs::perms;
    if (s.port == 0) {
      fs::permissions(socket, P::owner_read | P::owner_write | P::group_read | P::group_write | P::others_read |
                                  P::others_write, ignored);
    }
  } else if (s.options.port == 0) {
    s.port = s.server.bind_to_any_port(s.options.host);
  } else if (s.server.bind_to_port(s.options.host, s.options.port)) {
    s.port = s.options.port;
  } else {
    s.port = -1;
  }
  if (s.port < 0 || (s.port == 0 && s.options.host.rfind("unix:", 0) != 0)) {
    error = "cannot listen on " + s.options.host;
    if (s.options.host.rfind("unix:", 0) != 0) error += ':' + std::to_string(s.options.port);
    return false;
  }
  s.server.WidenBacklog(1024);
  s.publicUrl = s.options.publicUrl.empty()
                    ? "http://" + (s.options.host.find(':') != std::string::npos ? "[" + s.options.host + "]" : s.options.host) +
                          ":" + std::to_string(s.port) + "/"
                    : s.options.publicUrl;
  if (s.publicUrl.back() != '/') s.publicUrl += '/';
  return true;
}

int UpdateService::Port() const { return impl_->port; }
const std::string& UpdateService::PublicUrl() const { return impl_->publicUrl; }
bool UpdateService::Run() { return impl_->server.listen_after_bind(); }

void UpdateService::Stop() {
  impl_->server.StopGuard();
  impl_->server.stop();
  if (impl_->follower) impl_->follower->Stop();
}

}  // namespace velkor::service
