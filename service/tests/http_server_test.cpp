#include <gtest/gtest.h>
#include <httplib.h>

#include <sstream>
#include <thread>

#include "byte_range.hpp"
#include "catalog_import.hpp"
#include "digest.hpp"
#include "command_line.hpp"
#include "feedback_rate.hpp"
#include "http_server.hpp"
#include "base/signed_version_file.hpp"
#include "package_fixtures.hpp"
#include "test_catalog.hpp"
#include "test_keys.hpp"

namespace velkor::service {
namespace {

namespace fs = std::filesystem;
using testing::MakeCab;
using testing::MakeZip;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const char* const kScan =
    "<newdataset>\r\n<device>\r\n<driverid>2</driverid>\r\n<osid>9</osid>\r\n<date>2006-06-21</date>\r\n"
    "<matchingid>PCI\\VEN_8086&amp;DEV_100F&amp;SUBSYS_00000000|pci\\ven_8086&amp;dev_100f</matchingid>\r\n"
    "</device>\r\n</newdataset>\r\n";

// A real service on a loopback port over a catalog imported from real packages.
class Service : public ::testing::Test {
 protected:
  void SetUp() override {
    packages_ = temp_.Path() / "packages";
    ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "net" / "e1000 v8.zip"));
    ASSERT_TRUE(MakeCab(temp_.Path(), packages_ / "old.cab", "01/01/2001,1.0"));
    WriteFile(packages_ / "not-imported.zip", "never imported");
    WriteFile(temp_.Path() / "secret.txt", "outside the packages folder");
    WriteFile(temp_.Path() / "app" / "VERSION", "2.1.0.7\n");
    WriteFile(temp_.Path() / "app" / "setup.exe", "MZ setup");
    catalog_ = testing::FreshCatalogLocation(temp_);
    std::string error;
    std::unique_ptr<CatalogStore> store = CatalogStore::Open(catalog_, error);
    ASSERT_TRUE(store) << error;
    std::ostringstream log;
    ImportCatalog(*store, packages_, log);
    fs::remove(packages_ / "not-imported.zip");
    WriteFile(packages_ / "not-imported.zip", "present but not in the catalog");
    Start({});
  }

  void Start(const std::string& publicUrl) {
    Stop();
    ServiceOptions options;
    options.catalogPath = catalog_;
    options.packagesDir = packages_;
    options.appDir = temp_.Path() / "app";
    options.host = "127.0.0.1";
    options.port = 0;
    options.publicUrl = publicUrl;
    options.limits.workerThreads = 4;
    options.lookIntervalMs = 50;
    options.keys = testing::TestKeyFiles();
    service_ = std::make_unique<UpdateService>(options);
    std::string error;
    ASSERT_TRUE(service_->Bind(error)) << error;
    runner_ = std::thread([this] { service_->Run(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->Port());
    client_->set_read_timeout(10, 0);
    for (int i = 0; i < 100 && !client_->Get("/v1/health"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void Stop() {
    if (service_) service_->Stop();
    if (runner_.joinable()) runner_.join();
  }

  void TearDown() override { Stop(); }

  std::string DriverKey() {
    const auto res = client_->Post("/v1/scan", kScan, "text/xml");
    const std::size_t at = res->body.find("<hardwareid>") + 12;
    return res->body.substr(at, res->body.find('<', at) - at);
  }

  TempFolder temp_;
  fs::path packages_;
  std::string catalog_;
  std::unique_ptr<UpdateService> service_;
  std::thread runner_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(Service, ScanAnswersOfferedRecordsAndRefusesMalformedBodies) {
  auto res = client_->Post("/v1/scan", kScan, "text/xml");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->get_header_value("Content-Type"), "text/xml; charset=utf-8");
  EXPECT_NE(res->body.find("<hardwareidentifier>PCI\\VEN_8086&amp;DEV_100F</hardwareidentifier>"),
            std::string::npos) << res->body;
  EXPECT_NE(res->body.find("<infdate>3-15-2010</infdate>"), std::string::npos);
  EXPECT_NE(res->body.find("<infpath>Extract\\win7\\e1000.inf</infpath>"), std::string::npos);
  // old.cab (2001) is older than the installed driver and never offered.
  EXPECT_EQ(res->body.find("<Table>", res->body.find("</Table>")), std::string::npos);

  for (const char* body : {"", "<newdataset>", "<?xml?>", "\xff\xfe<\0n\0"}) {
    res = client_->Post("/v1/scan", body, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400) << body;
  }
  res = client_->Post("/v1/scan", std::string(5 * 1024 * 1024, ' '), "text/xml");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);
  EXPECT_TRUE(client_->Get("/v1/health"));  // still serving
}

TEST_F(Service, SystemHeadersDecideWhichSectionServes) {
  // The request says osid 9 (Vista x64), whose NTamd64 section lists DEV_100F.
  const auto offered = [&](const httplib::Headers& headers) {
    const auto res = client_->Post("/v1/scan", headers, kScan, "text/xml");
    return res && res->status == 200 && res->body.find("DEV_100F") != std::string::npos;
  };
  EXPECT_TRUE(offered({}));
  const httplib::Headers x86 = {{"Velkor-Windows-Version", "6.1.7601"},
                                {"Velkor-Windows-Architecture", "x86"},
                                {"Velkor-Windows-Product-Type", "1"},
                                {"Velkor-Windows-Suite-Mask", "0x00000100"}};
  EXPECT_FALSE(offered(x86));
  httplib::Headers x64 = x86;
  x64.find("Velkor-Windows-Architecture")->second = "amd64";
  EXPECT_TRUE(offered(x64));
  // Headers that cannot be read leave the choice to the document.
  httplib::Headers bad = x86;
  bad.find("Velkor-Windows-Product-Type")->second = "7";
  EXPECT_TRUE(offered(bad));
}

TEST_F(Service, DriverLookupGivesUrlAndMd5) {
  const std::string key = DriverKey();
  auto res = client_->Get(("/v1/driver?id=" + key + "&os=9").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  const std::string url = "http://127.0.0.1:" + std::to_string(service_->Port()) + "/v1/packages/net/e1000%20v8.zip";
  EXPECT_EQ(res->body, url + "|" + DigestFile(packages_ / "net" / "e1000 v8.zip")->md5);

  res = client_->Get("/v1/driver?id=0123456789abcdef01234567&os=9");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  res = client_->Get("/v1/driver?os=9");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);

  Start("https://updates.example.com/velkor");
  res = client_->Get(("/v1/driver?id=" + key + "&os=4").c_str());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body.rfind("https://updates.example.com/velkor/v1/packages/net/e1000%20v8.zip|", 0), 0u)
      << res->body;
}

TEST_F(Service, PackagesAreServedWholeOrByRange) {
  const std::string file = ReadFile(packages_ / "net" / "e1000 v8.zip");
  auto res = client_->Get("/v1/packages/net/e1000%20v8.zip");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, file);
  EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(file.size()));
  EXPECT_EQ(res->get_header_value("Content-Type"), "application/zip");

  res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", "bytes=10-19"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 206);
  EXPECT_EQ(res->body, file.substr(10, 10));
  EXPECT_EQ(res->get_header_value("Content-Range"), "bytes 10-19/" + std::to_string(file.size()));

  // A resumed download: from an offset to the end.
  res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", "bytes=100-"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 206);
  EXPECT_EQ(res->body, file.substr(100));

  // A range running past the end is cut at the end; Content-Length says what comes.
  res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", "bytes=100-99999999"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 206);
  EXPECT_EQ(res->body, file.substr(100));
  EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(file.size() - 100));

  res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", "bytes=999999-"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 416);
  EXPECT_EQ(res->get_header_value("Content-Range"), "bytes */" + std::to_string(file.size()));

  // Several ranges: the whole file.
  res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", "bytes=0-1,5-6"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_TRUE(res->body == file);
  // A header that cannot be read at all is refused before it gets here.
  for (const char* header : {"bytes=9-2", "items=0-1"}) {
    res = client_->Get("/v1/packages/net/e1000%20v8.zip", {{"Range", header}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 416) << header;
    EXPECT_TRUE(res->body.empty() || res->body.find("PK") == std::string::npos) << header;
  }
}

TEST(ByteRangeHeader, Table) {
  using Kind = ByteRange::Kind;
  struct Case {
    const char* header;
    std::uint64_t size;
    Kind kind;
    std::uint64_t first, length;
  };
  const Case cases[] = {
      {"", 100, Kind::kWhole, 0, 0},
      {"bytes=0-9", 100, Kind::kPart, 0, 10},
      {"bytes=90-", 100, Kind::kPart, 90, 10},
      {"bytes=90-1000", 100, Kind::kPart, 90, 10},
      {"bytes=99-99", 100, Kind::kPart, 99, 1},
      {"bytes=-10", 100, Kind::kPart, 90, 10},
      {"bytes=-1000", 100, Kind::kPart, 0, 100},
      {"bytes=100-", 100, Kind::kUnsatisfiable, 0, 0},
      {"bytes=-0", 100, Kind::kUnsatisfiable, 0, 0},
      {"bytes=0-", 0, Kind::kUnsatisfiable, 0, 0},
      {"bytes=5-4", 100, Kind::kWhole, 0, 0},
      {"bytes=0-1,3-4", 100, Kind::kWhole, 0, 0},
      {"bytes=99999999999999999999-", 100, Kind::kWhole, 0, 0},
      {"bytes=-", 100, Kind::kWhole, 0, 0},
  };
  for (const Case& c : cases) {
    const ByteRange range = ReadByteRange(c.header, c.size);
    EXPECT_EQ(range.kind, c.kind) << c.header;
    if (c.kind == Kind::kPart) {
      EXPECT_EQ(range.first, c.first) << c.header;
      EXPECT_EQ(range.length, c.length) << c.header;
    }
  }
}

TEST_F(Service, PackageNamesCannotLeaveThePackagesFolder) {
  for (const char* path :
       {"/v1/packages/../secret.txt", "/v1/packages/%2e%2e/secret.txt", "/v1/packages/net/../old.cab",
        "/v1/packages/..%2fsecret.txt", "/v1/packages/%2fetc%2fpasswd", "/v1/packages//etc/passwd",
        "/v1/packages/net%5c..%5c..%5csecret.txt", "/v1/packages/not-imported.zip",
        "/v1/packages/missing.zip", "/v1/packages/net"}) {
    auto res = client_->Get(path);
    ASSERT_TRUE(res) << path;
    EXPECT_EQ(res->status, 404) << path;
    EXPECT_EQ(res->body.find("outside"), std::string::npos) << path;
  }
  // A catalog package replaced by a link to a file outside is not served either.
  fs::remove(packages_ / "old.cab");
  fs::create_symlink(temp_.Path() / "secret.txt", packages_ / "old.cab");
  auto res = client_->Get("/v1/packages/old.cab");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
}

TEST_F(Service, FeedbackIsStoredWithItsArrivalTime) {
  const std::string report =
      "<NewDataSet>\r\n<osid>4</osid>\r\n<Feedback>\r\n<email>a@b.c</email>\r\n"
      "<problemtype>Download Problem</problemtype>\r\n<content>It &amp; it</content>\r\n"
      "</Feedback>\r\n</NewDataSet>\r\n";
  auto res = client_->Post("/v1/feedback", report, "text/xml");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  for (const char* bad : {"", "<NewDataSet>", "<NewDataSet><osid>4</osid></NewDataSet>"}) {
    res = client_->Post("/v1/feedback", bad, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 400) << bad;
  }
  res = client_->Post("/v1/feedback", std::string(70000, 'x'), "text/xml");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);

  std::string error;
  const std::vector<FeedbackReport> stored =
      FeedbackStore::Open(DefaultFeedbackLocation(catalog_), {}, error)->Reports();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].osid, "4");
  EXPECT_EQ(stored[0].email, "a@b.c");
  EXPECT_EQ(stored[0].problemType, "Download Problem");
  EXPECT_EQ(stored[0].content, "It & it");
  EXPECT_EQ(stored[0].document, report);
  EXPECT_EQ(stored[0].receivedAt.size(), 20u);  // 2026-12-10T05:00:00Z
}

TEST_F(Service, OneAddressSendsAtMostTenReportsAnHour) {
  const std::string report =
      "<NewDataSet>\r\n<osid>4</osid>\r\n<Feedback>\r\n<email>a@b.c</email>\r\n"
      "<problemtype>General Feedback</problemtype>\r\n<content>x</content>\r\n</Feedback>\r\n</NewDataSet>\r\n";
  for (int i = 0; i < 10; ++i) {
    const auto res = client_->Post("/v1/feedback", report, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200) << i;
  }
  const auto refused = client_->Post("/v1/feedback", report, "text/xml");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 429);
  std::string error;
  EXPECT_EQ(FeedbackStore::Open(DefaultFeedbackLocation(catalog_), {}, error)->Reports().size(), 10u);
}

TEST_F(Service, SelfUpdateFilesAndHealth) {
  auto res = client_->Get("/v1/app/version");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  // "MZ setup" has this SHA-256 (sha256sum).
  const std::string lines = "[RESOURCESTRING]\r\nVERSION=2.1.0.7\r\nDOWNLOADURL=http://127.0.0.1:" +
                            std::to_string(service_->Port()) +
                            "/v1/app/setup\r\nSHA256=" + Sha256Hex("MZ setup") + "\r\n";
  const std::optional<SignedVersionFile> file = SplitSignedVersionFile(res->body);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->signedLines, lines);
  EXPECT_TRUE(res->body.starts_with(lines + "KEYID=" + testing::TestVersionKey().keyId + "\r\nSIGNATURE="));
  // A new setup program is named by its new digest.
  WriteFile(temp_.Path() / "app" / "setup.exe", "MZ setup 2");
  res = client_->Get("/v1/app/version");
  ASSERT_TRUE(res && SplitSignedVersionFile(res->body));
  EXPECT_NE(SplitSignedVersionFile(res->body)->signedLines.find("SHA256=" + Sha256Hex("MZ setup 2") + "\r\n"),
            std::string_view::npos);
  WriteFile(temp_.Path() / "app" / "setup.exe", "MZ setup");
  res = client_->Get("/v1/app/setup");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "MZ setup");
  res = client_->Get("/v1/health");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "{\"status\":\"ok\",\"packages\":2,\"generation\":1}\n");

  WriteFile(temp_.Path() / "app" / "VERSION", "2.1; rm -rf /\n");
  res = client_->Get("/v1/app/version");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
  fs::remove(temp_.Path() / "app" / "setup.exe");
  res = client_->Get("/v1/app/setup");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 404);
}

TEST_F(Service, AnswersTheProgramActsOnAreSignedForTheirRequest) {
  using testing::VerifiesWith;
  const auto scan = client_->Post("/v1/scan", kScan, "text/xml");
  ASSERT_TRUE(scan && scan->status == 200);
  EXPECT_EQ(scan->get_header_value(kKeyIdHeader), testing::TestScanKey().keyId);
  const std::string_view scanParts[] = {kScan, "", scan->body};
  EXPECT_TRUE(VerifiesWith(testing::TestScanKey().publicKey, SignaturePurpose::kScanAnswer, scanParts,
                           scan->get_header_value(kSignatureHeader)));

  // The Windows a request tells is signed as the lines it sent, in their order
  // (the blank after the colon of each kept, a missing one left out).
  const httplib::Headers told = {{"Velkor-Windows-Version", "6.1.7601"},
                                 {"Velkor-Windows-Architecture", "amd64"},
                                 {"Velkor-Windows-Product-Type", "1"}};
  const auto toldScan = client_->Post("/v1/scan", told, kScan, "text/xml");
  ASSERT_TRUE(toldScan && toldScan->status == 200);
  const std::string_view toldParts[] = {
      kScan,
      "Velkor-Windows-Version: 6.1.7601\r\nVelkor-Windows-Architecture: amd64\r\nVelkor-Windows-Product-Type: 1\r\n",
      toldScan->body};
  EXPECT_TRUE(VerifiesWith(testing::TestScanKey().publicKey, SignaturePurpose::kScanAnswer, toldParts,
                           toldScan->get_header_value(kSignatureHeader)));
  const std::string_view untoldParts[] = {kScan, "", toldScan->body};
  EXPECT_FALSE(VerifiesWith(testing::TestScanKey().publicKey, SignaturePurpose::kScanAnswer, untoldParts,
                            toldScan->get_header_value(kSignatureHeader)));

  const std::string key = DriverKey();
  const auto driver = client_->Get(("/v1/driver?id=" + key + "&os=%2D1").c_str());
  ASSERT_TRUE(driver && driver->status == 200);
  EXPECT_EQ(driver->get_header_value(kKeyIdHeader), testing::TestDriverKey().keyId);
  // The query values are signed as the service read them, after decoding.
  const std::string_view driverParts[] = {key, "-1", "", driver->body};
  EXPECT_TRUE(VerifiesWith(testing::TestDriverKey().publicKey, SignaturePurpose::kDriverAnswer, driverParts,
                           driver->get_header_value(kSignatureHeader)));

  // The version file carries its signature inside, over the lines before it.
  const auto version = client_->Get("/v1/app/version");
  ASSERT_TRUE(version && version->status == 200);
  const std::optional<SignedVersionFile> file = SplitSignedVersionFile(version->body);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->signature.keyId, testing::TestVersionKey().keyId);
  const std::string_view versionParts[] = {file->signedLines};
  const std::string signatureLine = "SIGNATURE=";
  const std::string signature =
      version->body.substr(version->body.find(signatureLine) + signatureLine.size(),
                           version->body.size() - version->body.find(signatureLine) - signatureLine.size() - 2);
  EXPECT_TRUE(VerifiesWith(testing::TestVersionKey().publicKey, SignaturePurpose::kVersionFile, versionParts,
                           signature));
  EXPECT_FALSE(VerifiesWith(testing::TestScanKey().publicKey, SignaturePurpose::kVersionFile, versionParts,
                            signature));
  EXPECT_FALSE(version->has_header(kSignatureHeader));

  // Refusals and the other endpoints carry no signature.
  for (const auto& res : {client_->Post("/v1/scan", "<newdataset>", "text/xml"), client_->Get("/v1/health"),
                          client_->Get("/v1/driver?id=unknown&os=4")}) {
    ASSERT_TRUE(res);
    EXPECT_FALSE(res->has_header(kSignatureHeader)) << res->status;
  }
}

TEST_F(Service, ConcurrentScansGetTheSameAnswer) {
  const std::string expected = client_->Post("/v1/scan", kScan, "text/xml")->body;
  std::vector<std::thread> clients;
  std::atomic<int> good{0};
  for (int t = 0; t < 8; ++t) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", service_->Port());
      for (int i = 0; i < 20; ++i) {
        const auto res = client.Post("/v1/scan", kScan, "text/xml");
        if (res && res->status == 200 && res->body == expected) ++good;
      }
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(good.load(), 160);
}

TEST(FeedbackStoreQuota, ReportsPastTheQuotaAreRefusedAndNothingIsLost) {
  TempFolder temp;
  std::string error;
  std::unique_ptr<FeedbackStore> store = FeedbackStore::Open(testing::FreshCatalogLocation(temp), {250}, error);
  ASSERT_TRUE(store) << error;
  const FeedbackReport report{"2026-12-10T05:00:00Z", "127.0.0.1", "4", "a@b.c", "Other", "hi",
                              std::string(100, 'x')};
  EXPECT_EQ(store->Store(report), FeedbackResult::kStored);
  EXPECT_EQ(store->Store(report), FeedbackResult::kStored);
  EXPECT_EQ(store->Store(report), FeedbackResult::kOverQuota);  // 300 bytes of documents > 250
  const std::vector<FeedbackReport> kept = store->Reports();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[1].document, report.document);
}

TEST(FeedbackRate, CountsPerAddressWithinTheHour) {
  using namespace std::chrono_literals;
  FeedbackRateLimit limit(2, 3);
  const auto t0 = FeedbackRateLimit::Clock::now();
  EXPECT_TRUE(limit.Admit("a", t0));
  EXPECT_TRUE(limit.Admit("a", t0 + 1s));
  EXPECT_FALSE(limit.Admit("a", t0 + 2s));
  EXPECT_TRUE(limit.Admit("b", t0 + 2s));  // each address its own count
  EXPECT_TRUE(limit.Admit("a", t0 + 1h + 1s));  // the first one has left the hour
  EXPECT_TRUE(limit.Admit("c", t0 + 1h + 1s));
  EXPECT_FALSE(limit.Admit("d", t0 + 1h + 1s));  // three addresses tracked already
  EXPECT_TRUE(limit.Admit("d", t0 + 3h));         // the expired ones are forgotten
  EXPECT_TRUE(FeedbackRateLimit(0).Admit("a", t0));
}

TEST(FeedbackStoreLocation, AnSqliteCatalogGetsAFileOfItsOwn) {
  EXPECT_EQ(DefaultFeedbackLocation("/srv/velkor/catalog.db"), "/srv/velkor/catalog.feedback.db");
  EXPECT_EQ(DefaultFeedbackLocation("catalog"), "catalog.feedback.db");
  EXPECT_EQ(DefaultFeedbackLocation("postgresql://db/velkor"), "postgresql://db/velkor");
}

// Serving nodes that share one catalog: each builds its index at start and
// builds the next one when an import publishes a new generation (told by
// PostgreSQL, looked up in SQLite), without a restart.
TEST(ServiceNodes, EveryNodeFollowsThePublishedImports) {
  TempFolder temp;
  const fs::path packages = temp.Path() / "packages";
  ASSERT_TRUE(MakeZip(temp.Path(), packages / "e1000.zip"));
  const std::string catalog = testing::FreshCatalogLocation(temp);
  std::string error;
  std::unique_ptr<CatalogStore> importer = CatalogStore::Open(catalog, error);
  ASSERT_TRUE(importer) << error;
  std::ostringstream log;
  ImportCatalog(*importer, packages, log);

  std::vector<std::unique_ptr<UpdateService>> nodes;
  std::vector<std::thread> runners;
  for (int n = 0; n < 2; ++n) {
    ServiceOptions options;
    options.catalogPath = catalog;
    options.packagesDir = packages;
    options.port = 0;
    options.limits.workerThreads = 2;
    options.lookIntervalMs = 50;
    nodes.push_back(std::make_unique<UpdateService>(options));
    ASSERT_TRUE(nodes.back()->Bind(error)) << error;
    runners.emplace_back([node = nodes.back().get()] { node->Run(); });
  }
  auto health = [](UpdateService& node) {
    httplib::Client client("127.0.0.1", node.Port());
    const auto res = client.Get("/v1/health");
    return res ? res->body : std::string("no answer");
  };
  for (auto& node : nodes) EXPECT_EQ(health(*node), "{\"status\":\"ok\",\"packages\":1,\"generation\":1}\n");

  ASSERT_TRUE(MakeCab(temp.Path(), packages / "newer.cab", "04/01/2011,8.11.0.0"));
  ImportCatalog(*importer, packages, log);
  for (auto& node : nodes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string seen;
    while ((seen = health(*node)) != "{\"status\":\"ok\",\"packages\":2,\"generation\":2}\n" &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polls until the deadline
    }
    EXPECT_EQ(seen, "{\"status\":\"ok\",\"packages\":2,\"generation\":2}\n");
    httplib::Client client("127.0.0.1", node->Port());
    const auto res = client.Post("/v1/scan", kScan, "text/xml");
    ASSERT_TRUE(res);
    EXPECT_NE(res->body.find("<version>8.11.0.0</version>"), std::string::npos) << res->body;
  }
  for (auto& node : nodes) node->Stop();
  for (std::thread& runner : runners) runner.join();
}

TEST(ServiceCommandLine, Verbs) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
  };
  const Case cases[] = {
      {{"import", "--catalog", "c.db", "--packages", "p"}, true},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "127.0.0.1:8750", "--scan-key", "s",
        "--driver-key", "d"}, true},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "[::1]:8750", "--threads", "4",
        "--public-url", "https://x/", "--app-dir", "a", "--scan-key", "s", "--driver-key", "d",
        "--version-key", "v"}, true},
      {{"keygen", "--private-key", "a.key", "--public-key", "a.pub"}, true},
      {{"keygen", "--private-key", "a.key"}, false},
      {{"keygen", "--private-key", "a.key", "--public-key", "a.pub", "--catalog", "c.db"}, false},
      {{"import", "--catalog", "c.db", "--packages", "p", "--scan-key", "s"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--scan-key", "s"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--scan-key", "s", "--driver-key", "d",
        "--app-dir", "a"}, false},
      {{}, false},
      {{"scan"}, false},
      {{"import", "--catalog", "c.db"}, false},
      {{"import", "--catalog", "c.db", "--packages", "p", "--listen", "h:1"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "host"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:70000"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--public-url", "ftp://x"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--threads"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--public-url", "http://a|b/"}, false},
      {{"serve", "--catalog", "postgresql://db/velkor", "--packages", "p", "--listen", "unix:/run/v.sock",
        "--public-url", "https://x/", "--lookup", "sql", "--max-connections-per-address", "0",
        "--max-requests-per-address", "4", "--request-deadline", "5", "--feedback", "f.db", "--feedback-quota",
        "1000000", "--feedback-per-hour", "0", "--scan-key", "s", "--driver-key", "d"},
       true},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "unix:/run/v.sock", "--scan-key", "s",
        "--driver-key", "d"},
       false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--lookup", "btree"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--request-deadline", "0"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--feedback-quota", "-1"}, false},
      {{"serve", "--catalog", "c.db", "--packages", "p", "--listen", "h:1", "--feedback-per-hour", "x"}, false},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    EXPECT_EQ(ParseCommandLine(c.args, line, error), c.ok) << (c.args.empty() ? "" : c.args[0]) << " " << error;
  }
  CommandLine line;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"serve", "--catalog", "c", "--packages", "p", "--listen", "[::1]:81", "--scan-key",
                                "s.key", "--driver-key", "d.key", "--version-key", "v.key"},
                               line, error));
  EXPECT_EQ(line.options.host, "::1");
  EXPECT_EQ(line.options.port, 81);
  EXPECT_EQ(line.options.keys.scan, "s.key");
  EXPECT_EQ(line.options.keys.driver, "d.key");
  EXPECT_EQ(line.options.keys.version, "v.key");
}

}  // namespace
}  // namespace velkor::service
