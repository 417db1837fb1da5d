#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "catalog_import.hpp"
#include "digest.hpp"
#include "os_codes.hpp"
#include "package_fixtures.hpp"
#include "package_reader.hpp"
#include "scan_handler.hpp"
#include "sidecar.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

namespace fs = std::filesystem;
using testing::FixtureText;
using testing::MakeCab;
using testing::MakeZip;
using testing::ReadFile;
using testing::RunIn;
using testing::TempFolder;
using testing::WriteFile;

class CatalogImport : public ::testing::Test {
 protected:
  void SetUp() override {
    packages_ = temp_.Path() / "packages";
    fs::create_directories(packages_);
    std::string error;
    store_ = CatalogStore::Open(testing::FreshCatalogLocation(temp_), error);
    ASSERT_TRUE(store_) << error;
  }

  ImportSummary Import() {
    std::ostringstream log;
    const ImportSummary summary = ImportCatalog(*store_, packages_, log);
    log_ = log.str();
    return summary;
  }

  std::optional<Offer> OfferFor(const std::string& id, int osid, const std::string& date = "") {
    bool error = false;
    std::optional<Offer> offer = FindNewestOffer(*store_, id, osid, std::nullopt, date, error);
    EXPECT_FALSE(error);
    return offer;
  }

  TempFolder temp_;
  fs::path packages_;
  std::unique_ptr<CatalogStore> store_;
  std::string log_;
};

TEST_F(CatalogImport, RecordsZipAndCabPackagesWithTheirInfFacts) {
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "net" / "e1000.zip"));
  ASSERT_TRUE(MakeCab(temp_.Path(), packages_ / "e1000.cab", "04/01/2011,8.11.0.0"));
  WriteFile(packages_ / "notes.txt", "not a package");
  const ImportSummary summary = Import();
  EXPECT_EQ(summary.added, 2) << log_;
  EXPECT_EQ(summary.failed, 0) << log_;

  // 64-bit Vista: only the NTamd64 section lists DEV_100F; the CAB is newer.
  const std::optional<Offer> offer = OfferFor("pci\\ven_8086&dev_100f", 9);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->listedId, "PCI\\VEN_8086&DEV_100F");
  EXPECT_EQ(offer->driver.date, "2011-04-01");
  EXPECT_EQ(offer->driver.version, "8.11.0.0");
  EXPECT_EQ(offer->driver.infPath, "win7/e1000.inf");
  EXPECT_EQ(offer->driver.signer, "Example \"Net\" Corp.");  // it names a catalog file
  EXPECT_TRUE(offer->driver.isInstall);
  EXPECT_FALSE(offer->driver.isSpecificCase);
  EXPECT_EQ(offer->driver.md5, DigestFile(packages_ / "e1000.cab")->md5);
  const std::optional<PackageLocation> location = store_->FindDriver(offer->driver.catalogKey);
  ASSERT_TRUE(location);
  EXPECT_EQ(location->fileName, "e1000.cab");
  EXPECT_EQ(offer->driver.catalogKey.find('|'), std::string::npos);

  // Installed 2010-06-01: only the CAB (2011) is newer.
  EXPECT_EQ(store_->FindDriver(OfferFor("pci\\ven_8086&dev_100e", 4, "2010-06-01")->driver.catalogKey)->fileName,
            "e1000.cab");
  EXPECT_FALSE(OfferFor("pci\\ven_8086&dev_100e", 4, "2011-04-01"));
  // XP x86 reads NTx86, which does not list DEV_100F.
  EXPECT_FALSE(OfferFor("pci\\ven_8086&dev_100f", 4));
}

TEST_F(CatalogImport, EveryDriverInfOfAPackageIsADriverOfItsOwn) {
  const fs::path stage = temp_.Path() / "multi";
  WriteFile(stage / "xp" / "net.inf", FixtureText("e1000.inf"));
  std::string vista = FixtureText("e1000.inf");
  vista.replace(vista.find("03/15/2010,8.10.0.1"), 19, "07/01/2012,9.0.0.0");
  WriteFile(stage / "vista" / "NET.INF", vista);
  WriteFile(stage / "tools" / "helper.inf", FixtureText("no_models.inf"));
  ASSERT_TRUE(RunIn(stage, "zip -q -r '" + (packages_ / "multi.zip").string() + "' xp vista tools"));
  EXPECT_EQ(Import().added, 1) << log_;
  EXPECT_NE(log_.find("added: multi.zip (2 INF, 6 IDs; Windows NT 4.0 x86, Windows 2000 x86/Itanium, "
                      "Windows XP x86/x64, Server 2003 x86/x64, Windows Vista x86/x64, Server 2008 x86/x64, "
                      "Windows 7 x86/x64, Server 2008 R2 x64, Windows 8 x86/x64, Server 2012 x64, "
                      "Windows 8.1 x86/x64, Server 2012 R2 x64, Windows 10 x86/x64, Windows 11 x64, "
                      "Server 2016 x64, Server 2019 x64, Server 2022 x64, Server 2025 x64)"),
            std::string::npos) << log_;

  const std::optional<Offer> newest = OfferFor("pci\\ven_8086&dev_100f", 9);
  ASSERT_TRUE(newest);
  EXPECT_EQ(newest->driver.infPath, "vista/NET.INF");
  EXPECT_FALSE(OfferFor("pci\\ven_8086&dev_100f", 9, "2012-07-01"));
  // Both INFs lead to the same package, each under its own key.
  const std::string keyVista = newest->driver.catalogKey;
  struct Drivers : SnapshotSink {
    std::vector<std::string> infPaths;
    void Driver(const SnapshotDriver& d) override { infPaths.push_back(d.fields.infPath); }
    void Id(const SnapshotId&) override {}
  } drivers;
  std::int64_t generation = 0;
  std::string error;
  ASSERT_TRUE(store_->ReadSnapshot(drivers, generation, error)) << error;
  std::sort(drivers.infPaths.begin(), drivers.infPaths.end());
  EXPECT_EQ(drivers.infPaths, (std::vector<std::string>{"vista/NET.INF", "xp/net.inf"}));
  EXPECT_EQ(store_->FindDriver(keyVista)->fileName, "multi.zip");
}

TEST_F(CatalogImport, DigestsAreTheStandardOnes) {
  WriteFile(temp_.Path() / "abc", "abc");
  const std::optional<FileDigests> digests = DigestFile(temp_.Path() / "abc");
  ASSERT_TRUE(digests);
  EXPECT_EQ(digests->md5, "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(digests->sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(digests->size, 3u);
}

TEST_F(CatalogImport, ReimportKeepsUnchangedUpdatesChangedAndRemovesVanished) {
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "a.zip"));
  ASSERT_TRUE(MakeCab(temp_.Path(), packages_ / "b.cab"));
  EXPECT_EQ(Import().added, 2) << log_;
  const std::string keyA = OfferFor("pci\\ven_8086&dev_100f", 9)->driver.catalogKey;

  ImportSummary again = Import();
  EXPECT_EQ(again.unchanged, 2);
  EXPECT_EQ(again.added + again.updated + again.removed + again.failed, 0) << log_;

  ASSERT_TRUE(MakeCab(temp_.Path(), packages_ / "b.cab", "12/24/2012,9.0.0.0"));
  fs::remove(packages_ / "a.zip");
  again = Import();
  EXPECT_EQ(again.updated, 1) << log_;
  EXPECT_EQ(again.removed, 1) << log_;
  EXPECT_NE(log_.find("removed: a.zip"), std::string::npos) << log_;
  EXPECT_EQ(OfferFor("pci\\ven_8086&dev_100f", 9)->driver.date, "2012-12-24");
  EXPECT_EQ(store_->PackageNames(), std::vector<std::string>{"b.cab"});
  EXPECT_FALSE(store_->FindDriver(keyA) && store_->FindDriver(keyA)->fileName == "a.zip");
}

TEST_F(CatalogImport, UnreadablePackagesAreReportedAndNeverHalfImported) {
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "good.zip"));
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "was-good.zip"));
  EXPECT_EQ(Import().added, 2) << log_;

  // Damage one that the catalog already has, and add more that cannot be read.
  const std::string zip = ReadFile(packages_ / "was-good.zip");
  WriteFile(packages_ / "was-good.zip", zip.substr(0, zip.size() / 2) + std::string(64, '\x01'));
  WriteFile(packages_ / "plain-setup.exe", "MZ this is no archive");
  WriteFile(temp_.Path() / "stage2" / "only.inf", FixtureText("no_models.inf"));
  ASSERT_TRUE(RunIn(temp_.Path() / "stage2", "zip -q '" + (packages_ / "no-models.zip").string() + "' only.inf"));
  std::string undated = FixtureText("e1000.inf");
  undated.erase(undated.find("DriverVer"), undated.find('\n', undated.find("DriverVer")) -
                                               undated.find("DriverVer") + 1);
  WriteFile(temp_.Path() / "stage3" / "u.inf", undated);
  ASSERT_TRUE(RunIn(temp_.Path() / "stage3", "zip -q '" + (packages_ / "undated.zip").string() + "' u.inf"));
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "bad-sidecar.zip"));
  WriteFile(packages_ / "bad-sidecar.zip.json", "{\"isinstall\": 0}");

  const ImportSummary summary = Import();
  EXPECT_EQ(summary.failed, 5) << log_;
  EXPECT_EQ(summary.removed, 1) << log_;
  EXPECT_EQ(summary.unchanged, 1) << log_;
  for (const char* expected :
       {"failed: was-good.zip: damaged", "failed: plain-setup.exe: not an archive",
        "failed: no-models.zip: no driver INF", "failed: undated.zip: u.inf: no DriverVer",
        "failed: bad-sidecar.zip: sidecar: unknown key \"isinstall\""}) {
    EXPECT_NE(log_.find(expected), std::string::npos) << expected << "\n" << log_;
  }
  EXPECT_EQ(store_->PackageNames(), std::vector<std::string>{"good.zip"});
  EXPECT_EQ(store_->IdCount(), 3);  // good.zip's three IDs and nothing else
}

TEST_F(CatalogImport, SidecarDescribesWhatThePackageCannotSay) {
  // A setup program that is no archive, described by its sidecar alone.
  WriteFile(packages_ / "tool.exe", "MZ a setup program of its own kind");
  WriteFile(packages_ / "tool.exe.json",
            R"({"infPath": "drv\\tool.inf", "ids": ["USB\\VID_0A5C&PID_2110", "usb\\vid_0a5c&pid_2110"],
                "date": "05/06/2009", "version": "5.6", "isInstall": 0, "isSpecificCase": true,
                "os": [4, -1], "signer": "Tool Maker"})");
  // A ZIP whose sidecar overrides the signer and narrows the systems.
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "e1000.zip"));
  WriteFile(packages_ / "e1000.zip.json", R"({"signer": "Example Signer", "os": [9]})");
  const ImportSummary summary = Import();
  EXPECT_EQ(summary.added, 2) << log_;

  const std::optional<Offer> tool = OfferFor("usb\\vid_0a5c&pid_2110", -1);
  ASSERT_TRUE(tool);
  EXPECT_EQ(tool->driver.infPath, "drv/tool.inf");
  EXPECT_EQ(tool->driver.date, "2009-05-06");
  EXPECT_FALSE(tool->driver.isInstall);
  EXPECT_TRUE(tool->driver.isSpecificCase);
  EXPECT_EQ(tool->driver.signer, "Tool Maker");
  EXPECT_FALSE(OfferFor("usb\\vid_0a5c&pid_2110", 9));

  EXPECT_FALSE(OfferFor("pci\\ven_8086&dev_100e", 4));
  const std::optional<Offer> zip = OfferFor("pci\\ven_8086&dev_100e", 9);
  ASSERT_TRUE(zip);
  EXPECT_EQ(zip->driver.signer, "Example Signer");

  // Touching only the sidecar counts as a change.
  WriteFile(packages_ / "e1000.zip.json", R"({"signer": "Other Signer"})");
  fs::last_write_time(packages_ / "e1000.zip.json",
                      fs::last_write_time(packages_ / "e1000.zip.json") + std::chrono::seconds(5));
  EXPECT_EQ(Import().updated, 1) << log_;
  EXPECT_EQ(OfferFor("pci\\ven_8086&dev_100e", 4)->driver.signer, "Other Signer");
}

TEST_F(CatalogImport, SelfExtractingZipIsReadAsAZip) {
  ASSERT_TRUE(MakeZip(temp_.Path(), temp_.Path() / "inner.zip"));
  WriteFile(packages_ / "setup.exe", "MZ" + std::string(4094, '\0') + ReadFile(temp_.Path() / "inner.zip"));
  ASSERT_TRUE(RunIn(packages_, "zip -q -A setup.exe"));
  EXPECT_EQ(Import().added, 1) << log_;
  const std::optional<Offer> offer = OfferFor("pci\\ven_8086&dev_100f", 9);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->driver.infPath, "win7/e1000.inf");
}

TEST_F(CatalogImport, LinksAndUnservableNamesStayOutOfTheCatalog) {
  ASSERT_TRUE(MakeZip(temp_.Path(), temp_.Path() / "outside.zip"));
  fs::create_symlink(temp_.Path() / "outside.zip", packages_ / "link.zip");
  ASSERT_TRUE(MakeZip(temp_.Path(), packages_ / "back\\slash.zip"));
  const ImportSummary summary = Import();
  EXPECT_EQ(summary.added, 0) << log_;
  EXPECT_EQ(summary.failed, 1) << log_;
  EXPECT_TRUE(store_->PackageNames().empty());
}

TEST(PackageEntryNames, CleanRelativePathsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"win7/a.inf", "win7/a.inf"}, {"./win7//a.inf", "win7/a.inf"}, {"win7\\x64\\a.inf", "win7/x64/a.inf"},
      {"/etc/a.inf", ""},           {"../a.inf", ""},                 {"a/../../b.inf", ""},
      {"c:/a.inf", ""},             {"", ""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(CleanEntryPath(name), expected) << name;
}

TEST(SidecarFile, RejectsWhatItCannotUse) {
  const char* bad[] = {"[]", "{", "{\"isInstall\": 2}", "{\"os\": [12]}", "{\"ids\": [\"a|b\"]}",
                       "{\"date\": \"someday\"}", "{\"infPath\": \"../x.inf\"}", "{\"signer\": 5}"};
  for (const char* text : bad) {
    Sidecar sidecar;
    std::string error;
    EXPECT_FALSE(ParseSidecar(text, sidecar, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  Sidecar sidecar;
  std::string error;
  ASSERT_TRUE(ParseSidecar(R"({"date": "2009-01-31", "os": [-1, 9]})", sidecar, error)) << error;
  EXPECT_EQ(*sidecar.date, L"2009-01-31");
  EXPECT_EQ(*sidecar.osMask, OsCodeBit(-1) | OsCodeBit(9));
}

}  // namespace
}  // namespace velkor::service
