#include <gtest/gtest.h>

#include "offer_rules.hpp"
#include "scan_handler.hpp"
#include "test_catalog.hpp"

namespace velkor::service {
namespace {

using testing::AddDriver;
using testing::FreshCatalog;
using testing::TestDriver;

std::string Device(const std::string& driverId, const std::string& osid, const std::string& date,
                   const std::string& ids) {
  // The client's layout: one element per line, an empty date as an empty tag,
  // "&" escaped.
  std::string escaped;
  for (char c : ids) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
  return "<device>\r\n<driverid>" + driverId + "</driverid>\r\n<osid>" + osid + "</osid>\r\n" +
         (date.empty() ? "<date/>\r\n" : "<date>" + date + "</date>\r\n") + "<matchingid>" +
         escaped + "</matchingid>\r\n</device>\r\n";
}

std::string Request(const std::string& devices) { return "<newdataset>\r\n" + devices + "</newdataset>\r\n"; }

// (driverid, hardwareidentifier, package) of every record, in answer order.
std::vector<std::string> Records(const std::string& answer) {
  std::vector<std::string> records;
  std::size_t at = 0;
  auto field = [&](const std::string& name, std::size_t from) {
    const std::size_t open = answer.find("<" + name + ">", from);
    const std::size_t start = open + name.size() + 2;
    std::string value = answer.substr(start, answer.find("</" + name + ">", start) - start);
    for (std::size_t amp; (amp = value.find("&amp;")) != std::string::npos;) value.replace(amp, 5, "&");
    return value;
  };
  while ((at = answer.find("<Table>", at)) != std::string::npos) {
    std::string md5 = field("md5", at);
    records.push_back(field("driverid", at) + " " + field("hardwareidentifier", at) + " " +
                      md5.substr(md5.find("md5-of-") + 7));
    at += 7;
  }
  return records;
}

class ScanHandler : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = FreshCatalog();
    AddDriver(*store_, {"a1.zip", "2008-01-01", "1.0", {"PCI\\VEN_1&DEV_2"}, {-1, 4}});
    AddDriver(*store_, {"a2.zip", "2009-05-05", "2.0", {"PCI\\VEN_1&DEV_2"}, {4}});
    AddDriver(*store_, {"a3.zip", "2009-05-05", "2.10", {"PCI\\VEN_1&DEV_2"}, {4}});
    AddDriver(*store_, {"b.cab", "2010-01-01", "3.0", {"USB\\CLASS_09", "USB\\VID_1&PID_2"}, {-1}});
    // For an exact system: the NTamd64 section of "NTx86, NTamd64" lists it.
    AddDriver(*store_, {"c64.zip", "2011-01-01", "4.0", {"PCI\\VEN_1&DEV_2"}, {9}, "drv/a.inf", false,
                        "ntx86,ntamd64:1"});
  }

  HandlerResult Scan(const std::string& body) { return HandleScanRequest(body, *store_); }

  std::unique_ptr<CatalogStore> store_;
};

TEST_F(ScanHandler, OfferRules) {
  struct Case {
    const char* what;
    std::string osid, date, ids;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"newest date wins, then the higher version", "4", "2007-01-01", "PCI\\VEN_1&DEV_2",
       {"7 PCI\\VEN_1&DEV_2 a3.zip"}},
      {"a package as old as the installed driver is not newer", "4", "2009-05-05", "PCI\\VEN_1&DEV_2", {}},
      {"no installed date: the best package", "4", "", "PCI\\VEN_1&DEV_2", {"7 PCI\\VEN_1&DEV_2 a3.zip"}},
      {"only packages that serve the osid", "-1", "2007-06-01", "PCI\\VEN_1&DEV_2",
       {"7 PCI\\VEN_1&DEV_2 a1.zip"}},
      {"a 64-bit system gets its own package", "9", "", "pci\\ven_1&dev_2", {"7 PCI\\VEN_1&DEV_2 c64.zip"}},
      {"an osid outside the client's table reads as -1", "12", "", "PCI\\VEN_1&DEV_2",
       {"7 PCI\\VEN_1&DEV_2 a1.zip"}},
      {"an unreadable date reads as no date", "-1", "21.06.2006--", "PCI\\VEN_1&DEV_2",
       {"7 PCI\\VEN_1&DEV_2 a1.zip"}},
      {"one record per ID, in the device's ID order", "-1", "2009-01-01",
       "USB\\VID_1&PID_2&REV_0100|usb\\vid_1&pid_2|USB\\CLASS_09|PCI\\VEN_1&DEV_2",
       {"7 USB\\VID_1&PID_2 b.cab", "7 USB\\CLASS_09 b.cab"}},
      {"duplicate IDs are looked up once", "4", "", "pci\\ven_1&dev_2|PCI\\VEN_1&DEV_2|",
       {"7 PCI\\VEN_1&DEV_2 a3.zip"}},
      {"an empty ID list gets nothing", "4", "", "", {}},
      {"an ID no package lists gets nothing", "4", "", "acpi\\pnp0a03", {}},
  };
  for (const Case& c : cases) {
    const HandlerResult result = Scan(Request(Device("7", c.osid, c.date, c.ids)));
    EXPECT_EQ(result.status, 200) << c.what;
    EXPECT_EQ(Records(result.body), c.expected) << c.what;
  }
}

TEST_F(ScanHandler, RecordsFollowDeviceOrderAndSkipDevicesWithoutAUsableNumber) {
  const HandlerResult result = Scan(Request(
      Device("12", "-1", "", "USB\\CLASS_09") + Device("-1", "-1", "", "USB\\CLASS_09") +
      Device("x", "-1", "", "USB\\CLASS_09") + Device("", "-1", "", "USB\\CLASS_09") +
      Device("3", "4", "", "PCI\\VEN_1&DEV_2|USB\\CLASS_09")));
  EXPECT_EQ(Records(result.body), (std::vector<std::string>{"12 USB\\CLASS_09 b.cab",
                                                            "3 PCI\\VEN_1&DEV_2 a3.zip"}));
}

TEST_F(ScanHandler, AnswerLayoutIsExact) {
  const HandlerResult result = Scan(Request(Device("5", "9", "2006-06-21", "PCI\\VEN_1&DEV_2")));
  EXPECT_EQ(result.contentType, "text/xml; charset=utf-8");
  EXPECT_EQ(result.body,
            "<NewDataSet>\r\n"
            "<Table>\r\n"
            "<driverid>5</driverid>\r\n"
            "<hardwareidentifier>PCI\\VEN_1&amp;DEV_2</hardwareidentifier>\r\n"
            "<hardwareid>key-c64.zip</hardwareid>\r\n"
            "<infdate>1-1-2011</infdate>\r\n"
            "<infpath>Extract\\drv\\a.inf</infpath>\r\n"
            "<version>4.0</version>\r\n"
            "<isSpecificCase>0</isSpecificCase>\r\n"
            "<md5>md5-of-c64.zip</md5>\r\n"
            "<isInstall>1</isInstall>\r\n"
            "<signer>Signer of c64.zip</signer>\r\n"
            "</Table>\r\n"
            "</NewDataSet>\r\n");
  EXPECT_EQ(Scan(Request("")).body, "<NewDataSet/>\r\n");
  EXPECT_EQ(Scan("<newdataset/>").body, "<NewDataSet/>\r\n");
}

TEST_F(ScanHandler, ElementNamesInAnyCaseAndExtraElementsAreAccepted) {
  const HandlerResult result = Scan(
      "<?xml version=\"1.0\"?><!-- c --><NEWDATASET><Device><DriverID> 4 </DriverID><extra/>"
      "<OSID>-1</OSID><Date></Date><MatchingId><![CDATA[USB\\CLASS_09]]></MatchingId></Device>"
      "<other><device><driverid>9</driverid><matchingid>usb\\class_09</matchingid></device></other>"
      "</NEWDATASET>");
  EXPECT_EQ(Records(result.body), (std::vector<std::string>{"4 USB\\CLASS_09 b.cab"}));
}

TEST_F(ScanHandler, MalformedRequestsAreRefused) {
  const std::pair<std::string, int> cases[] = {
      {"", 400},
      {"<", 400},
      {"not xml at all", 400},
      {"<newdataset>", 400},
      {"<newdataset><device></newdataset>", 400},
      {"<other/>", 400},
      {std::string("<newdataset>\0</newdataset>", 26), 400},
      {std::string(200000, '<'), 400},
      {std::string(20000, 'x'), 400},
  };
  for (const auto& [body, status] : cases) {
    EXPECT_EQ(Scan(body).status, status) << body.substr(0, 40);
  }
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  EXPECT_EQ(Scan("<newdataset>" + deep).status, 400);
}

TEST_F(ScanHandler, BoundsOnSizeDevicesIdsAndRepeatedNumbers) {
  EXPECT_EQ(Scan(std::string(kMaxScanBodyBytes + 1, ' ')).status, 413);
  std::string devices;
  for (std::size_t i = 0; i <= kMaxScanDevices; ++i) {
    devices += "<device><driverid>" + std::to_string(i) + "</driverid></device>";
  }
  EXPECT_EQ(Scan(Request(devices)).status, 400);

  // Devices of 256 distinct IDs each: 64 of them are the most one request may
  // hold, one ID more is refused.
  auto idsDevice = [](int number, int count) {
    std::string ids;
    for (int i = 0; i < count; ++i) ids += "usb\\vid_" + std::to_string(number) + "&pid_" + std::to_string(i) + "|";
    return Device(std::to_string(number), "-1", "", ids);
  };
  std::string full;
  for (std::size_t d = 0; d < kMaxScanIds / kMaxIdsPerDevice; ++d) full += idsDevice(static_cast<int>(d), 256);
  EXPECT_EQ(Scan(Request(full)).status, 200);
  const HandlerResult tooMany = Scan(Request(full + idsDevice(999, 1)));
  EXPECT_EQ(tooMany.status, 413);
  EXPECT_EQ(tooMany.body, "too many IDs in one request\n");
  // Repeats of a list within one device are dropped before counting.
  EXPECT_EQ(Scan(Request(full + Device("999", "-1", "", std::string(10000, '|')))).status, 200);

  std::string repeated;
  for (std::size_t i = 0; i <= kMaxRepeatedDeviceNumbers; ++i) repeated += Device("5", "-1", "", "USB\\CLASS_09");
  EXPECT_EQ(Scan(Request(repeated)).status, 200);
  const HandlerResult repeats = Scan(Request(repeated + Device("5", "-1", "", "USB\\CLASS_09")));
  EXPECT_EQ(repeats.status, 413);
  EXPECT_EQ(repeats.body, "too many repeated device numbers\n");
}

TEST_F(ScanHandler, TheExactSystemDecidesAndTheOsidNoLonger) {
  // ten.zip is listed only in a Windows 10 x64 section from build 16299 on.
  AddDriver(*store_, {"ten.zip", "2012-01-01", "5.0", {"USB\\CLASS_09"}, {}, "drv/a.inf", false,
                      "ntamd64.10.0...16299:0"});
  const auto system = [](Arch arch, std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
    return MakeWindowsSystem(arch, major, minor, build);
  };
  struct Case {
    const char* what;
    std::optional<WindowsSystem> system;
    std::vector<std::string> expected;
  };
  const std::string ids = "USB\\CLASS_09|PCI\\VEN_1&DEV_2";
  const Case cases[] = {
      {"no system: the osid's codes", std::nullopt, {"7 USB\\CLASS_09 b.cab", "7 PCI\\VEN_1&DEV_2 a1.zip"}},
      {"Windows 10 1709 x64: its section; the codes say -1 for the rest",
       system(Arch::kAmd64, 10, 0, 16299),
       {"7 USB\\CLASS_09 ten.zip", "7 PCI\\VEN_1&DEV_2 c64.zip"}},
      {"Windows 10 1703 x64: not yet", system(Arch::kAmd64, 10, 0, 15063),
       {"7 USB\\CLASS_09 b.cab", "7 PCI\\VEN_1&DEV_2 c64.zip"}},
      {"Vista x64 (code 9)", system(Arch::kAmd64, 6, 0, 6002), {"7 PCI\\VEN_1&DEV_2 c64.zip"}},
      {"XP x86 (code 4)", system(Arch::kX86, 5, 1, 2600), {"7 PCI\\VEN_1&DEV_2 a3.zip"}},
  };
  for (const Case& c : cases) {
    const HandlerResult result =
        HandleScanRequest(Request(Device("7", "-1", "", ids)), *store_, ScanOptions{c.system, OfferRank::kNewest});
    EXPECT_EQ(Records(result.body), c.expected) << c.what;
  }
}

TEST_F(ScanHandler, IdentifierRankPrefersTheDeviceIdsListedEarlier) {
  // h.zip names the device's hardware ID and its compatible ID; newer.zip only
  // the compatible one; head.zip heads a model line with the compatible ID,
  // tail.zip lists it after another.
  AddDriver(*store_, {"h.zip", "2011-01-01", "1.0", {"USB\\VID_9&PID_9", "USB\\COMPAT_9"}, {-1}});
  AddDriver(*store_, {"newer.zip", "2012-01-01", "1.0", {"USB\\COMPAT_9"}, {-1}});
  AddDriver(*store_, {"head.zip", "2010-01-01", "1.0", {"USB\\ONLY_9"}, {-1}, "drv/a.inf", true});
  AddDriver(*store_, {"tail.zip", "2012-06-01", "1.0", {"USB\\X", "USB\\ONLY_9"}, {-1}, "drv/a.inf", true});
  const std::string request = Request(Device("3", "-1", "", "USB\\VID_9&PID_9|USB\\COMPAT_9") +
                                      Device("4", "-1", "", "USB\\ONLY_9"));
  EXPECT_EQ(Records(HandleScanRequest(request, *store_).body),
            (std::vector<std::string>{"3 USB\\VID_9&PID_9 h.zip", "3 USB\\COMPAT_9 newer.zip",
                                      "4 USB\\ONLY_9 tail.zip"}));
  EXPECT_EQ(Records(HandleScanRequest(request, *store_, ScanOptions{std::nullopt, OfferRank::kIdentifier}).body),
            (std::vector<std::string>{"3 USB\\VID_9&PID_9 h.zip", "3 USB\\COMPAT_9 h.zip",
                                      "4 USB\\ONLY_9 head.zip"}));
  // What is not newer than the installed driver is out before any ranking.
  EXPECT_EQ(Records(HandleScanRequest(Request(Device("3", "-1", "2011-06-01", "USB\\VID_9&PID_9|USB\\COMPAT_9")),
                                      *store_, ScanOptions{std::nullopt, OfferRank::kIdentifier})
                        .body),
            (std::vector<std::string>{"3 USB\\COMPAT_9 newer.zip"}));
}

TEST_F(ScanHandler, ACatalogThatCannotBeReadIsNoAnswerOfNoUpdates) {
  // A walk that fails (a database gone away) must not come out as a 200 with
  // records missing: the client would take its drivers for current.
  struct Broken : OfferSource {
    bool WalkCandidates(const std::string&, const std::string&, std::uint32_t, const CandidateVisitor&) override {
      return false;
    }
    bool DriverFields(std::int64_t, OfferDriver&) override { return false; }
  } broken;
  for (OfferRank rank : {OfferRank::kNewest, OfferRank::kIdentifier}) {
    const HandlerResult result =
        HandleScanRequest(Request(Device("1", "4", "", "PCI\\VEN_1&DEV_2")), broken, ScanOptions{std::nullopt, rank});
    EXPECT_EQ(result.status, 503);
    EXPECT_EQ(result.body, "catalog unavailable\n");
  }
}

TEST_F(ScanHandler, EntitiesNeverReachOutsideTheDocument) {
  const HandlerResult result = Scan(
      "<!DOCTYPE newdataset [<!ENTITY e SYSTEM \"file:///etc/passwd\"><!ENTITY b \"USB\\CLASS_09\">]>"
      "<newdataset><device><driverid>1</driverid><osid>-1</osid>"
      "<matchingid>&e;|&b;|&#85;SB\\CLASS_09</matchingid></device></newdataset>");
  EXPECT_EQ(result.body.find("root:"), std::string::npos);
  // Character references are read; declared entities are not expanded.
  EXPECT_EQ(Records(result.body), (std::vector<std::string>{"1 USB\\CLASS_09 b.cab"}));
}

}  // namespace
}  // namespace velkor::service
