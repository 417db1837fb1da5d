#include "install/install_package.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "install/install_texts.hpp"

namespace velkor {
namespace {

// One recorder is the view and the parts: every call is logged in order, and
// the answers are set per test.
class Recorder final : public InstallView, public InstallParts {
 public:
  std::set<std::wstring> existing;
  bool zipOpens = true;
  RarExtraction rar = RarExtraction::Extracted;
  bool cabExtracts = true;
  std::intptr_t shellResult = 42;
  bool sevenZipStarts = true;
  int sevenZipEndsAtWait = 1;  // 1 or 2; 0: never
  InfInstallResult inf{true, false};
  std::vector<std::wstring> log;

  void SetInstallPercent(int percent) override { log.push_back(L"bar " + std::to_wstring(percent)); }
  void ShowMessage(const std::wstring& text) override { log.push_back(L"message " + text); }
  void SetRestartNeeded() override { log.push_back(L"restart needed"); }

  void SleepMilliseconds(std::uint32_t milliseconds) override {
    log.push_back(L"sleep " + std::to_wstring(milliseconds));
  }
  bool PathExists(const std::wstring& path) override { return existing.count(path) != 0; }
  std::intptr_t OpenSetupProgram(const std::wstring& path, const std::wstring& parameters) override {
    log.push_back(L"open " + path + L" [" + parameters + L"]");
    return shellResult;
  }
  std::unique_ptr<StartedProcess> StartHidden(const std::wstring& program, const std::wstring& commandLine) override {
    log.push_back(L"start " + program + L" [" + commandLine + L"]");
    if (!sevenZipStarts) return nullptr;
    return std::make_unique<Process>(*this);
  }
  std::unique_ptr<OpenedZip> OpenZip(const std::wstring& path) override {
    log.push_back(L"zip open " + path);
    if (!zipOpens) return nullptr;
    return std::make_unique<Zip>(*this);
  }
  RarExtraction ExtractRar(const std::wstring& path, const std::wstring& folder) override {
    log.push_back(L"rar " + path + L" into " + folder);
    return rar;
  }
  bool ExtractCab(const std::wstring& path, const std::wstring& folder) override {
    log.push_back(L"cab " + path + L" into " + folder);
    return cabExtracts;
  }
  InfInstallResult InstallInfForDevice(const std::wstring& hardwareId, const std::wstring& infPath,
                                       const std::wstring& supportFolder) override {
    log.push_back(L"install " + infPath + L" for " + hardwareId + L" support " + supportFolder);
    return inf;
  }
  bool DeleteFolderTree(const std::wstring& path) override {
    log.push_back(L"delete " + path);
    return true;
  }

 private:
  class Zip final : public OpenedZip {
   public:
    explicit Zip(Recorder& r) : r_(r) {}
    ~Zip() override { r_.log.push_back(L"zip close"); }
    void ExtractAll(const std::wstring& folder) override { r_.log.push_back(L"zip extract into " + folder); }

   private:
    Recorder& r_;
  };
  class Process final : public StartedProcess {
   public:
    explicit Process(Recorder& r) : r_(r) {}
    ~Process() override { r_.log.push_back(L"7z handles closed"); }
    bool WaitEnded(std::uint32_t milliseconds) override {
      r_.log.push_back(L"wait " + std::to_wstring(milliseconds));
      return ++waits_ == r_.sevenZipEndsAtWait;
    }
    std::optional<std::uint32_t> ExitCode() override { return 0; }

   private:
    Recorder& r_;
    int waits_ = 0;
  };
};

const std::wstring kSupport = L"C:\\Velkor\\xp\\";
const std::wstring kId = L"PCI\\VEN_10EC&DEV_8168";

PackageInstallRequest Request(const std::wstring& package, const std::wstring& inf = L"win\\nic.inf") {
  PackageInstallRequest r;
  r.infPath = inf;
  r.packagePath = package;
  r.hardwareId = kId;
  r.classDescription = L"Network adapters";
  r.supportFolder = kSupport;
  return r;
}

std::vector<std::wstring> Join(std::initializer_list<std::vector<std::wstring>> parts) {
  std::vector<std::wstring> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const std::vector<std::wstring> kOpeningPause = {L"bar 15", L"sleep 2000", L"bar 30", L"sleep 3000"};

std::vector<std::wstring> InstallAndCleanUp(const std::wstring& unpack, const std::wstring& inf) {
  return {L"install " + unpack + L"\\" + inf + L" for " + kId + L" support " + kSupport, L"delete " + unpack};
}

TEST(InstallPackage, ZipIsUnpackedInstalledAndRemoved) {
  Recorder r;
  r.existing = {L"C:\\dl\\nic.zip", L"C:\\dl\\nic\\"};
  CPackageInstaller installer(r, r);
  EXPECT_EQ(installer.InstallPackage(Request(L"C:\\dl\\nic.zip")), 32);
  const std::vector<std::wstring> expected =
      Join({{L"bar 0"}, kOpeningPause,
            {L"zip open C:\\dl\\nic.zip", L"zip extract into C:\\dl\\nic\\", L"zip close", L"bar 65"},
            InstallAndCleanUp(L"C:\\dl\\nic", L"win\\nic.inf"), {L"bar 100"}});
  EXPECT_EQ(r.log, expected);
}

TEST(InstallPackage, EachArchiveKindAndTheRestartFlag) {
  struct Case {
    const wchar_t* package;
    std::vector<std::wstring> unpacking;
  };
  const Case cases[] = {
      {L"C:\\dl\\nic.rar", Join({kOpeningPause, {L"rar C:\\dl\\nic.rar into C:\\dl\\nic\\", L"bar 65"}})},
      {L"C:\\dl\\nic.cab", {L"bar 25", L"cab C:\\dl\\nic.cab into C:\\dl\\nic\\", L"bar 65"}},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.existing = {c.package, L"C:\\dl\\nic\\"};
    r.inf = {true, true};
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(Request(c.package)), 32) << c.package;
    // Windows asked for a restart: no question, only the flag.
    const std::vector<std::wstring> expected = Join(
        {{L"bar 0"}, c.unpacking, InstallAndCleanUp(L"C:\\dl\\nic", L"win\\nic.inf"), {L"bar 100", L"restart needed"}});
    EXPECT_EQ(r.log, expected) << c.package;
  }
}

TEST(InstallPackage, FailureRowsWithTheirTexts) {
  struct Case {
    const char* what;
    const wchar_t* package;
    void (*setup)(Recorder&);
    std::int32_t result;
    std::vector<std::wstring> tail;  // the last events
  };
  const Case cases[] = {
      {"package missing", L"C:\\dl\\gone.zip", [](Recorder& r) { r.existing.clear(); }, 34,
       {L"bar 0", L"message Invalid file Path."}},
      {"corrupt zip", L"C:\\dl\\nic.zip", [](Recorder& r) { r.zipOpens = false; }, 33,
       {L"zip open C:\\dl\\nic.zip", L"bar 25", std::wstring(L"message ") + kTextZipCorrupt}},
      {"corrupt rar or no unrar.dll", L"C:\\dl\\nic.rar", [](Recorder& r) { r.rar = RarExtraction::CannotOpen; }, 33,
       {L"rar C:\\dl\\nic.rar into C:\\dl\\nic\\", L"bar 25", std::wstring(L"message ") + kTextRarCorrupt}},
      {"corrupt cab", L"C:\\dl\\nic.cab", [](Recorder& r) { r.cabExtracts = false; }, 33,
       {L"cab C:\\dl\\nic.cab into C:\\dl\\nic\\", L"bar 25", std::wstring(L"message ") + kTextCabCorrupt}},
      {"neither plug and play nor the tool installs", L"C:\\dl\\nic.cab", [](Recorder& r) { r.inf = {false, false}; },
       33,
       {L"install C:\\dl\\nic\\win\\nic.inf for " + kId + L" support " + kSupport, L"delete C:\\dl\\nic", L"bar 65",
        std::wstring(L"message ") + kTextInstallationFailed}},
      {"special class", L"C:\\dl\\nic.zip", [](Recorder& r) { r.existing.insert(L"special"); }, 33,
       {L"bar 0", std::wstring(L"message ") + kTextSpecialClass}},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.existing = {c.package, L"C:\\dl\\nic\\"};
    c.setup(r);
    PackageInstallRequest request = Request(c.package);
    if (r.existing.count(L"special") != 0) request.classDescription = L"Ports";
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), c.result) << c.what;
    ASSERT_GE(r.log.size(), c.tail.size()) << c.what;
    const std::vector<std::wstring> tail(r.log.end() - static_cast<std::ptrdiff_t>(c.tail.size()), r.log.end());
    EXPECT_EQ(tail, c.tail) << c.what;
  }
}

TEST(InstallPackage, MissingInputEndsAtOnceWithoutAMessage) {
  for (const auto& [inf, package] : {std::pair<std::wstring, std::wstring>{L"", L"C:\\dl\\a.zip"},
                                     {L"a.inf", L""}}) {
    Recorder r;
    r.existing = {L"C:\\dl\\a.zip"};
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(Request(package, inf)), 34);
    EXPECT_TRUE(r.log.empty());
  }
  // A file whose name gives no folder of its own is not unpacked (it would
  // unpack into the download folder and then delete it).
  for (const wchar_t* package : {L"C:\\dl\\.zip", L"C:\\dl\\..zip", L"nic.zip"}) {
    Recorder r;
    r.existing = {package, L"C:\\dl\\"};
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(Request(package)), 34) << package;
    EXPECT_TRUE(r.log.empty()) << package;
  }
}

TEST(InstallPackage, AnInfPathFromTheServiceNeverLeavesTheUnpackFolder) {
  struct Case {
    const wchar_t* inf;
    const wchar_t* installed;  // nullptr: nothing installed
  };
  const Case cases[] = {
      {L"..\\..\\windows\\inf\\machine.inf", L"C:\\dl\\nic\\windows\\inf\\machine.inf"},
      {L"..\\", nullptr},
      {L"con.inf", nullptr},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.existing = {L"C:\\dl\\nic.cab", L"C:\\dl\\nic\\"};
    r.inf = {false, false};
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(Request(L"C:\\dl\\nic.cab", c.inf)), 33) << c.inf;
    std::vector<std::wstring> expected = {L"bar 0", L"bar 25", L"cab C:\\dl\\nic.cab into C:\\dl\\nic\\", L"bar 65"};
    if (c.installed != nullptr) {
      expected.push_back(std::wstring(L"install ") + c.installed + L" for " + kId + L" support " + kSupport);
    }
    expected.insert(expected.end(), {L"delete C:\\dl\\nic", L"bar 65",
                                     std::wstring(L"message ") + kTextInstallationFailed});
    EXPECT_EQ(r.log, expected) << c.inf;
  }
}

TEST(InstallPackage, SetupProgramStartedWithOrWithoutTheSwitches) {
  for (const std::uint32_t switches : {0u, 1u}) {
    Recorder r;
    r.existing = {L"C:\\dl\\setup.exe"};
    r.zipOpens = false;
    r.inf = {false, false};
    PackageInstallRequest request = Request(L"C:\\dl\\setup.exe");
    request.isSpecificCase = switches;
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), 33);
    // The sequence goes on to the INF install, which finds nothing unpacked;
    // there is no unpack folder to remove.
    const std::vector<std::wstring> expected = {
        L"bar 0",
        L"sleep 100",
        L"zip open C:\\dl\\setup.exe",
        L"bar 25",
        L"sleep 100",
        std::wstring(L"open C:\\dl\\setup.exe [") + (switches ? L"cmd -overall -overide -overwrite" : L"") + L"]",
        L"bar 65",
        L"install C:\\dl\\setup\\win\\nic.inf for " + kId + L" support " + kSupport,
        L"bar 65",
        std::wstring(L"message ") + kTextInstallationFailed};
    EXPECT_EQ(r.log, expected) << switches;
  }
}

TEST(InstallPackage, SetupProgramThatCannotStart) {
  for (const std::intptr_t shell : {0, 2, 31, 32}) {
    Recorder r;
    r.existing = {L"C:\\dl\\setup.exe"};
    r.zipOpens = false;
    r.shellResult = shell;
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(Request(L"C:\\dl\\setup.exe")), 33);
    const std::vector<std::wstring> tail(r.log.end() - 2, r.log.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"bar 65", std::wstring(L"message ") + kTextCannotLaunchSetup}));
  }
}

TEST(InstallPackage, SelfExtractingZipIsUnpackedNeverStarted) {
  Recorder r;
  r.existing = {L"C:\\dl\\sfx.exe", L"C:\\dl\\sfx\\"};
  CPackageInstaller installer(r, r);
  EXPECT_EQ(installer.InstallPackage(Request(L"C:\\dl\\sfx.exe")), 32);
  const std::vector<std::wstring> expected =
      Join({{L"bar 0", L"sleep 100", L"zip open C:\\dl\\sfx.exe", L"bar 25", L"zip extract into C:\\dl\\sfx\\",
             L"zip close", L"bar 65"},
            InstallAndCleanUp(L"C:\\dl\\sfx", L"win\\nic.inf"), {L"bar 100"}});
  EXPECT_EQ(r.log, expected);
}

TEST(InstallPackage, PathWithBothExeAndZipGoesThroughBothSteps) {
  Recorder r;
  r.existing = {L"C:\\dl\\drv.exe.zip", L"C:\\dl\\drv.exe\\"};
  CPackageInstaller installer(r, r);
  EXPECT_EQ(installer.InstallPackage(Request(L"C:\\dl\\drv.exe.zip")), 32);
  const std::vector<std::wstring> expected = Join(
      {{L"bar 0", L"sleep 100", L"zip open C:\\dl\\drv.exe.zip", L"bar 25", L"zip extract into C:\\dl\\drv.exe\\",
        L"zip close", L"bar 65"},
       kOpeningPause,
       {L"zip open C:\\dl\\drv.exe.zip", L"zip extract into C:\\dl\\drv.exe\\", L"zip close", L"bar 65"},
       InstallAndCleanUp(L"C:\\dl\\drv.exe", L"win\\nic.inf"), {L"bar 100"}});
  EXPECT_EQ(r.log, expected);
}

TEST(InstallPackage, SpecialClassNeverInstallsThroughTheInf) {
  // A self-extracting ZIP is not unpacked.
  {
    Recorder r;
    r.existing = {L"C:\\dl\\sfx.exe"};
    PackageInstallRequest request = Request(L"C:\\dl\\sfx.exe");
    request.classDescription = L"SCSI and RAID Controllers";
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), 33);
    const std::vector<std::wstring> expected = {L"bar 0", L"sleep 100", L"zip open C:\\dl\\sfx.exe", L"zip close",
                                                L"bar 0", std::wstring(L"message ") + kTextSpecialClass};
    EXPECT_EQ(r.log, expected);
  }
  // A setup program run directly has been started before the message.
  {
    Recorder r;
    r.existing = {L"C:\\dl\\setup.exe"};
    r.zipOpens = false;
    PackageInstallRequest request = Request(L"C:\\dl\\setup.exe");
    request.classDescription = L"Battery";
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), 33);
    const std::vector<std::wstring> tail(r.log.end() - 4, r.log.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{L"open C:\\dl\\setup.exe []", L"bar 65", L"bar 65",
                                               std::wstring(L"message ") + kTextSpecialClass}));
  }
  // Any class outside the table installs.
  {
    Recorder r;
    r.existing = {L"C:\\dl\\nic.cab"};
    PackageInstallRequest request = Request(L"C:\\dl\\nic.cab");
    request.classDescription = L"ports";  // the table's names are exact
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), 32);
  }
}

TEST(InstallPackage, SetupProgramUnpackedWithSevenZip) {
  const std::wstring start = L"start C:\\Velkor\\extract\\7z.exe [7z.exe x -y \"C:\\dl\\setup.exe\" -o\"C:\\dl\\setup\\\" -r ]";
  struct Case {
    const char* what;
    bool starts;
    int endsAtWait;
    std::int32_t result;
    std::vector<std::wstring> events;  // from the start of the tool on
  };
  const Case cases[] = {
      {"ends within five minutes", true, 1, 32, {start, L"wait 300000", L"7z handles closed", L"bar 65"}},
      {"ends within two more", true, 2, 32,
       {start, L"wait 300000", L"wait 120000", L"7z handles closed", L"bar 65"}},
      {"does not end", true, 0, 33, {start, L"wait 300000", L"wait 120000", L"7z handles closed"}},
      {"cannot start", false, 0, 33, {start}},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.existing = {L"C:\\dl\\setup.exe", L"C:\\Velkor", L"C:\\dl\\setup\\"};
    r.zipOpens = false;
    r.sevenZipStarts = c.starts;
    r.sevenZipEndsAtWait = c.endsAtWait;
    PackageInstallRequest request = Request(L"C:\\dl\\setup.exe");
    request.isInstall = 1;
    CPackageInstaller installer(r, r);
    EXPECT_EQ(installer.InstallPackage(request), c.result) << c.what;
    std::vector<std::wstring> expected =
        Join({{L"bar 0", L"sleep 100", L"zip open C:\\dl\\setup.exe", L"bar 25", L"sleep 100"}, c.events});
    if (c.result == 32) expected = Join({expected, InstallAndCleanUp(L"C:\\dl\\setup", L"win\\nic.inf"), {L"bar 100"}});
    EXPECT_EQ(r.log, expected) << c.what;
  }
}

TEST(InstallPackage, SevenZipNeedsTheSupportRoot) {
  Recorder r;
  r.existing = {L"C:\\dl\\setup.exe"};
  r.zipOpens = false;
  PackageInstallRequest request = Request(L"C:\\dl\\setup.exe");
  request.isInstall = 1;
  CPackageInstaller installer(r, r);
  EXPECT_EQ(installer.InstallPackage(request), 33);
  EXPECT_EQ(r.log.back(), std::wstring(L"message ") + kTextNoSupportFiles);
  EXPECT_EQ(std::count_if(r.log.begin(), r.log.end(), [](const std::wstring& e) { return e.starts_with(L"start"); }),
            0);
}

TEST(ReportInstallStep, QuestionSetsTheFlagOtherTextsShowAndItReturnsSeven) {
  Recorder r;
  CPackageInstaller installer(r, r);
  EXPECT_EQ(installer.ReportInstallStep(40), 7);
  EXPECT_EQ(installer.ReportInstallStep(100, kTextRestartQuestion, kStepKindQuestion), 7);
  EXPECT_EQ(installer.ReportInstallStep(65, L"x", 0), 7);
  EXPECT_EQ(installer.ReportInstallStep(65, L"y", 4), 7);
  const std::vector<std::wstring> expected = {L"bar 40", L"bar 100", L"restart needed", L"bar 65",
                                              L"message x",  L"bar 65", L"message y"};
  EXPECT_EQ(r.log, expected);
}

}  // namespace
}  // namespace velkor
