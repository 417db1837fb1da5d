#include <gtest/gtest.h>

#include <sstream>

#include "catalog_import.hpp"
#include "package_fixtures.hpp"
#include "scan_handler.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

namespace fs = std::filesystem;
using testing::FixtureText;
using testing::RunIn;
using testing::TempFolder;

const char* const kRealInfs[] = {"AudioCodec",   "IddSampleDriver", "TrEEMiniportSample", "cxwmbclass",
                                 "defect_toastmon", "lsi_u3",       "msforwardext",       "ndisprot630",
                                 "netlwf",       "netvmini680",     "plclient",           "toastpkg"};

// Real INF files that nobody here wrote (fixtures/real-inf), and one of ours with
// every kind of decoration, each packed with stand-in driver files and imported.
class PackedInfs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    temp_ = new TempFolder();
    const fs::path fixtures = VELKOR_SERVICE_FIXTURES;
    std::string infs;
    for (const char* name : kRealInfs) infs += " '" + (fixtures / "real-inf" / name).string() + ".inf'";
    infs += " '" + (fixtures / "decorations.inf").string() + "' '" + (fixtures / "e1000.inf").string() + "'";
    ASSERT_TRUE(RunIn(temp_->Path(), "bash '" + (fixtures / "pack_inf_packages.sh").string() +
                                         "' packages" + infs));
    std::string error;
    store_ = CatalogStore::Open(testing::FreshCatalogLocation(*temp_), error).release();
    ASSERT_NE(store_, nullptr) << error;
    std::ostringstream log;
    summary_ = ImportCatalog(*store_, temp_->Path() / "packages", log);
    log_ = new std::string(log.str());
  }
  static void TearDownTestSuite() {
    delete store_;
    delete log_;
    delete temp_;
  }

  // The IDs a one-device request of these IDs is offered on the system.
  static std::vector<std::string> Offered(const std::optional<WindowsSystem>& system, const std::string& ids,
                                          int osid = -1) {
    std::string escaped;
    for (char c : ids) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    const std::string request = "<newdataset><device><driverid>1</driverid><osid>" + std::to_string(osid) +
                                "</osid><date/><matchingid>" + escaped + "</matchingid></device></newdataset>";
    const HandlerResult result = HandleScanRequest(request, *store_, ScanOptions{system, OfferRank::kNewest});
    EXPECT_EQ(result.status, 200);
    std::vector<std::string> offered;
    for (std::size_t at = 0; (at = result.body.find("<hardwareidentifier>", at)) != std::string::npos;) {
      at += 20;
      std::string id = result.body.substr(at, result.body.find('<', at) - at);
      for (std::size_t amp; (amp = id.find("&amp;")) != std::string::npos;) id.replace(amp, 5, "&");
      offered.push_back(id);
    }
    return offered;
  }

  static TempFolder* temp_;
  static CatalogStore* store_;
  static ImportSummary summary_;
  static std::string* log_;
};

TempFolder* PackedInfs::temp_ = nullptr;
CatalogStore* PackedInfs::store_ = nullptr;
ImportSummary PackedInfs::summary_;
std::string* PackedInfs::log_ = nullptr;

TEST_F(PackedInfs, EveryRealInfImportsAndTheLogSaysWhichReleasesItServes) {
  EXPECT_EQ(summary_.failed, 0) << *log_;
  EXPECT_EQ(summary_.added, 14) << *log_;
  const std::string tenFrom1709 =
      "Windows 10 x64 1709-22H2, Windows 11 x64, Server 2019 x64, Server 2022 x64, Server 2025 x64";
  const std::pair<const char*, std::string> lines[] = {
      {"AudioCodec.zip (1 INF, 1 IDs; ",
       "Windows 10 x64 2004-22H2, Windows 11 x64, Server 2022 x64, Server 2025 x64"},
      {"IddSampleDriver.zip (1 INF, 2 IDs; ", "Windows 11 x64, Server 2025 x64"},
      {"cxwmbclass.zip (1 INF, 1 IDs; ", tenFrom1709},
      {"msforwardext.zip (1 INF, 1 IDs; ", tenFrom1709},
      {"netvmini680.zip (1 INF, 5 IDs; ", tenFrom1709},
      {"toastpkg.zip (1 INF, 1 IDs; ", tenFrom1709},
      {"TrEEMiniportSample.zip (1 INF, 2 IDs; ",
       "Windows XP x64, Server 2003 x64, Windows Vista x64, Server 2008 x64, Windows 7 x64, Server 2008 R2 x64, "
       "Windows 8 x64/ARM, Server 2012 x64, Windows 8.1 x64/ARM, Server 2012 R2 x64, Windows 10 x64/ARM64, "
       "Windows 11 x64/ARM64, Server 2016 x64, Server 2019 x64, Server 2022 x64, Server 2025 x64"},
      {"lsi_u3.zip (1 INF, 2 IDs; ",
       "Windows XP x64, Server 2003 x64, Windows Vista x64, Server 2008 x64, Windows 7 x64, Server 2008 R2 x64, "
       "Windows 8 x64, Server 2012 x64, Windows 8.1 x64, Server 2012 R2 x64, Windows 10 x64, Windows 11 x64, "
       "Server 2016 x64, Server 2019 x64, Server 2022 x64, Server 2025 x64"},
  };
  for (const auto& [start, releases] : lines) {
    EXPECT_NE(log_->find(std::string("added: ") + start + releases + ")\n"), std::string::npos)
        << start << "\n" << *log_;
  }
}

TEST_F(PackedInfs, WindowsTenOnlyPackagesServeExactlyTheBuildsTheirDecorationNames) {
  struct Package {
    const char* id;
    std::uint32_t firstBuild;
  };
  const Package packages[] = {{"USB\\VID_1199&PID_9071&MI_0C", 16299}, {"MS_forwardext", 16299},
                              {"root\\NetVMini680_a", 16299},          {"{b85b7c50-6a01-11d2-b841-00c04fad5171}\\MsToaster", 16299},
                              {"ROOT\\AudioCodec", 19041},             {"Root\\IddSampleDriver", 22000}};
  for (const Package& p : packages) {
    const std::vector<std::string> offered{p.id};
    const std::vector<std::string> none;
    const auto x64 = Arch::kAmd64;
    EXPECT_EQ(Offered(MakeWindowsSystem(x64, 10, 0, p.firstBuild), p.id), offered) << p.id;
    EXPECT_EQ(Offered(MakeWindowsSystem(x64, 10, 0, p.firstBuild - 1), p.id), none) << p.id;
    EXPECT_EQ(Offered(MakeWindowsSystem(x64, 10, 0, 26100), p.id), offered) << p.id;
    EXPECT_EQ(Offered(MakeWindowsSystem(x64, 10, 0, 26100, 3), p.id), offered) << p.id << " on a server";
    EXPECT_EQ(Offered(MakeWindowsSystem(Arch::kX86, 10, 0, 19045), p.id), none) << p.id;
    EXPECT_EQ(Offered(MakeWindowsSystem(Arch::kArm64, 10, 0, 26100), p.id), none) << p.id;
    EXPECT_EQ(Offered(MakeWindowsSystem(x64, 6, 1, 7601), p.id), none) << p.id;
    // Without the system's headers a Windows 10 PC is a Windows 7 one, as before.
    EXPECT_EQ(Offered(std::nullopt, p.id), none) << p.id;
  }
}

TEST_F(PackedInfs, TheExactSystemDecidesEverySection) {
  const auto x86 = Arch::kX86, x64 = Arch::kAmd64, arm64 = Arch::kArm64;
  const std::string boards =
      "PCI\\VEN_1D00&DEV_0003|PCI\\VEN_1D00&DEV_0004|PCI\\VEN_1D00&DEV_0005|PCI\\VEN_1D00&DEV_0002|"
      "PCI\\VEN_1D00&CC_0600|ACPI\\VEN_1D00&DEV_0001|ISAPNP\\VEL0001|ROOT\\VELKOR_TOOL_81|ROOT\\VELKOR_TOOL";
  struct Case {
    const char* what;
    WindowsSystem system;
    std::vector<std::string> offered;
  };
  const Case cases[] = {
      {"XP x86: NTx86, the undecorated Legacy entry", MakeWindowsSystem(x86, 5, 1, 2600),
       {"PCI\\VEN_1D00&CC_0600", "ISAPNP\\VEL0001"}},
      {"2000: undecorated sections only", MakeWindowsSystem(x86, 5, 0, 2195), {"ISAPNP\\VEL0001"}},
      {"7 SP1 x86: the 6.1 build section, the 6.0 tool", MakeWindowsSystem(x86, 6, 1, 7601),
       {"PCI\\VEN_1D00&DEV_0002", "ISAPNP\\VEL0001", "ROOT\\VELKOR_TOOL"}},
      {"7 RTM x86: Vista's section", MakeWindowsSystem(x86, 6, 1, 7600), {"ISAPNP\\VEL0001", "ROOT\\VELKOR_TOOL"}},
      {"7 x64: no undecorated section", MakeWindowsSystem(x64, 6, 1, 7601), {"ROOT\\VELKOR_TOOL"}},
      {"Home Server: the suite section", MakeWindowsSystem(x64, 6, 1, 7601, 3, 0x8000), {"PCI\\VEN_1D00&DEV_0005"}},
      // The tool's ID is named as the section the older systems take writes it.
      {"8.1 x64: the 6.3 tool section", MakeWindowsSystem(x64, 6, 3, 9600), {"ROOT\\VELKOR_TOOL_81", "ROOT\\VELKOR_TOOL"}},
      {"10 1803 x64: before the build section", MakeWindowsSystem(x64, 10, 0, 17134),
       {"ROOT\\VELKOR_TOOL_81", "ROOT\\VELKOR_TOOL"}},
      {"10 1809 x64", MakeWindowsSystem(x64, 10, 0, 17763),
       {"PCI\\VEN_1D00&DEV_0003", "ROOT\\VELKOR_TOOL_81", "ROOT\\VELKOR_TOOL"}},
      {"Server 2016: the server section", MakeWindowsSystem(x64, 10, 0, 14393, 3), {"PCI\\VEN_1D00&DEV_0004"}},
      {"Server 2019: the build is part of the version, above the product type", MakeWindowsSystem(x64, 10, 0, 17763, 3),
       {"PCI\\VEN_1D00&DEV_0003"}},
      {"11 ARM64: its own section, and the tool's plain NT one", MakeWindowsSystem(arm64, 10, 0, 26100),
       {"ACPI\\VEN_1D00&DEV_0001", "ROOT\\VELKOR_TOOL"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Offered(c.system, boards), c.offered) << c.what;
}

TEST_F(PackedInfs, AnswersWithoutSystemHeadersAreByteForByteTheEarlierOnes) {
  // legacy_answer.xml is what velkor-service answered for legacy_request.xml
  // (every OS code with dates before, on and after the drivers' dates, every ID
  // of these packages) before it learned to choose for exact systems.
  const HandlerResult result = HandleScanRequest(FixtureText("legacy_request.xml"), *store_);
  EXPECT_EQ(result.status, 200);
  EXPECT_TRUE(result.body == FixtureText("legacy_answer.xml"));
}

}  // namespace
}  // namespace velkor::service
