// InstallPackage with the real parts on a machine built by testmachine
// (install-pc.json): each kind of package unpacked by the real tools and
// installed through SetupAPI for its device, the failure rows with their
// texts, and the update tool started by the engine.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "install/driver_system_win.hpp"
#include "install/install_parts_win.hpp"
#include "install/install_texts.hpp"
#include "install/update_tool_protocol.hpp"
#include "installed_driver.hpp"
#include "inventory/os_version_code.hpp"
#include "wine_test_paths.hpp"

namespace velkor {
namespace {

using testing::CopyInto;
using testing::DriverImageInstalled;
using testing::Exists;
using testing::FixturePackage;
using testing::FixturesFolder;
using testing::InstalledDriverFor;
using testing::ProgramFolder;
using testing::ReadBytes;
using testing::ScratchFolder;

// What the user would see: the bar's steps, the messages and the flag.
class RecordingView final : public InstallView {
 public:
  std::vector<int> percents;
  std::vector<std::wstring> messages;
  bool restartNeeded = false;
  void SetInstallPercent(int percent) override { percents.push_back(percent); }
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  void SetRestartNeeded() override { restartNeeded = true; }
};

struct Outcome {
  std::int32_t result = 0;
  RecordingView view;
};

std::wstring SupportFolder() { return ProgramFolder() + L"xp\\"; }

Outcome Install(PackageInstallRequest request, const std::wstring& programFolder = ProgramFolder()) {
  Outcome outcome;
  WinInstallParts parts(TheDriverOperations(), programFolder);
  CPackageInstaller installer(outcome.view, parts);
  outcome.result = installer.InstallPackage(request);
  return outcome;
}

PackageInstallRequest Request(const std::wstring& package, const std::wstring& inf, const std::wstring& hardwareId) {
  PackageInstallRequest r;
  r.infPath = inf;
  r.packagePath = package;
  r.hardwareId = hardwareId;
  r.classDescription = L"Network adapters";
  r.supportFolder = SupportFolder();
  return r;
}

std::string PackedInf(const std::wstring& key, const std::wstring& inf) {
  return ReadBytes(FixturesFolder() + L"unpacked\\" + key + L"\\" + inf);
}

// Waits for a file another program writes, with a deadline.
bool WaitForFile(const std::wstring& path, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (std::chrono::steady_clock::now() < end) {
    if (Exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return Exists(path);
}

TEST(InstallPackageOnMachine, EveryKindOfPackageInstallsForItsDevice) {
  struct Case {
    const wchar_t* file;
    const wchar_t* key;
    const wchar_t* inf;  // inside the package, as the install sequence passes it
    const wchar_t* hardwareId;
    const wchar_t* image;
    std::uint32_t isInstall;
  };
  const Case cases[] = {
      {L"velkor_nic.zip", L"zip", L"nic.inf", L"PCI\\VEN_10EC&DEV_8139", L"vknicfx.sys", 0},
      {L"velkor_chipset.exe", L"sfxzip", L"chipset.inf", L"PCI\\VEN_8086&DEV_2916", L"vkchipfx.sys", 0},
      {L"velkor_display.cab", L"cab", L"drivers\\winxp\\display.inf", L"PCI\\VEN_10DE&DEV_0392", L"vkdispfx.sys", 0},
      {L"velkor_audio.rar", L"rar", L"audio\\audio.inf", L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0662", L"vkaudfx.sys", 0},
      {L"velkor_usb_setup.exe", L"sevenzip", L"usb\\usb.inf", L"PCI\\VEN_8086&DEV_2934", L"vkusbfx.sys", 1},
  };
  for (const Case& c : cases) {
    ScratchFolder dl(L"machine");
    const std::wstring package = CopyInto(FixturePackage(c.file), dl.path());
    PackageInstallRequest request = Request(package, c.inf, c.hardwareId);
    request.isInstall = c.isInstall;
    const Outcome outcome = Install(request);
    EXPECT_EQ(outcome.result, 32) << c.file;
    EXPECT_TRUE(outcome.view.messages.empty()) << c.file << ": " << outcome.view.messages.front().c_str();
    ASSERT_FALSE(outcome.view.percents.empty());
    EXPECT_EQ(outcome.view.percents.back(), 100) << c.file;

    // Installed: the device's class key names an INF of the system's INF
    // folder (Windows calls the copy oemN.inf, Wine keeps the INF's own name)
    // that holds the package's INF.
    const testing::InstalledDriver driver = InstalledDriverFor(c.hardwareId);
    EXPECT_FALSE(driver.driverKey.empty()) << c.file;
    EXPECT_FALSE(driver.infName.empty()) << c.file;
    EXPECT_EQ(driver.infText, PackedInf(c.key, c.inf)) << c.file << " installed " << driver.infName.c_str();
    EXPECT_TRUE(DriverImageInstalled(c.image)) << c.image;
    // The unpacked files are gone; the package stays.
    const std::wstring title = std::wstring(c.file).substr(0, std::wstring(c.file).rfind(L'.'));
    EXPECT_FALSE(Exists(dl.path() + title)) << c.file;
    EXPECT_TRUE(Exists(package)) << c.file;
    // A self-extracting ZIP is opened, never started.
    EXPECT_FALSE(Exists(package + L".args")) << c.file;
  }
}

TEST(InstallPackageOnMachine, FailureRowsShowTheirTexts) {
  struct Case {
    const char* what;
    const wchar_t* file;  // nullptr: no package at all
    const wchar_t* inf;
    const wchar_t* classDescription;
    std::uint32_t isInstall;
    const wchar_t* supportFolder;  // nullptr: the build's
    bool withoutUnrar;
    std::int32_t result;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"missing package", nullptr, L"nic.inf", L"Network adapters", 0, nullptr, false, 34, kTextInvalidFilePath},
      {"special class", L"velkor_display.cab", L"drivers\\winxp\\display.inf", L"Ports", 0, nullptr, false, 33,
       kTextSpecialClass},
      {"corrupt zip", L"corrupt.zip", L"nic.inf", L"Network adapters", 0, nullptr, false, 33, kTextZipCorrupt},
      {"corrupt rar", L"corrupt.rar", L"audio\\audio.inf", L"Network adapters", 0, nullptr, false, 33,
       kTextRarCorrupt},
      {"corrupt cab", L"corrupt.cab", L"drivers\\winxp\\display.inf", L"Network adapters", 0, nullptr, false, 33,
       kTextCabCorrupt},
      {"unrar.dll missing", L"velkor_audio.rar", L"audio\\audio.inf", L"Network adapters", 0, nullptr, true, 33,
       kTextRarCorrupt},
      {"support root missing", L"velkor_usb_setup.exe", L"usb\\usb.inf", L"Network adapters", 1,
       L"C:\\nowhere\\velkor\\xp\\", false, 33, kTextNoSupportFiles},
      {"setup cannot start", L"broken_setup.exe", L"setup.inf", L"Network adapters", 0, nullptr, false, 33,
       kTextCannotLaunchSetup},
      {"neither plug and play nor the tool installs", L"velkor_orphan.cab", L"orphan.inf", L"Network adapters", 0,
       nullptr, false, 33, kTextInstallationFailed},
  };
  for (const Case& c : cases) {
    ScratchFolder dl(L"machine-fail");
    ScratchFolder empty(L"no-unrar");
    const std::wstring package = c.file != nullptr ? CopyInto(FixturePackage(c.file), dl.path()) : dl.path() + L"gone.zip";
    PackageInstallRequest request = Request(package, c.inf, L"PCI\\VEN_1AF4&DEV_FFFF");
    request.classDescription = c.classDescription;
    request.isInstall = c.isInstall;
    if (c.supportFolder != nullptr) request.supportFolder = c.supportFolder;
    const Outcome outcome = Install(request, c.withoutUnrar ? empty.path() : ProgramFolder());
    EXPECT_EQ(outcome.result, c.result) << c.what;
    ASSERT_EQ(outcome.view.messages.size(), 1u) << c.what;
    EXPECT_EQ(outcome.view.messages[0], c.message) << c.what;
    EXPECT_FALSE(outcome.view.restartNeeded) << c.what;
  }
}

TEST(InstallPackageOnMachine, SetupProgramIsStartedWithOrWithoutTheSwitches) {
  for (const std::uint32_t switches : {0u, 1u}) {
    ScratchFolder dl(L"machine-setup");
    const std::wstring package = CopyInto(FixturePackage(L"velkor_monitor_setup.exe"), dl.path());
    PackageInstallRequest request = Request(package, L"monitor.inf", L"MONITOR\\VKA0001");
    request.isSpecificCase = switches;
    const Outcome outcome = Install(request);
    // Nothing unpacked holds the INF: the install fails after the start.
    EXPECT_EQ(outcome.result, 33);
    EXPECT_EQ(outcome.view.messages, std::vector<std::wstring>{kTextInstallationFailed});
    ASSERT_TRUE(WaitForFile(package + L".args", std::chrono::seconds(60))) << "the setup program never ran";
    const std::string bytes = ReadBytes(package + L".args");
    const std::wstring line(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    const std::wstring tail = L" cmd -overall -overide -overwrite";
    EXPECT_EQ(line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0,
              switches != 0)
        << line.c_str();
  }
}

TEST(UpdateTool, ForcesAnOlderDriverOverANewerOne) {
  const std::wstring id = L"PCI\\VEN_8086&DEV_2922";
  const std::wstring oldInf = FixturesFolder() + L"unpacked\\storage_old\\storage.inf";
  ASSERT_EQ(InstalledDriverFor(id).infText, PackedInf(L"storage_new", L"storage.inf"))
      << "the machine should start with the newer driver";
  bool restart = true;
  EXPECT_TRUE(TheDriverOperations().RunUpdateHelper(id, oldInf, SupportFolder(), &restart));
  EXPECT_EQ(InstalledDriverFor(id).infText, ReadBytes(oldInf));
  EXPECT_TRUE(DriverImageInstalled(L"vkstoroldfx.sys"));
}

TEST(UpdateTool, MissingToolOrRefusedInstallIsNoSuccess) {
  const std::wstring inf = FixturesFolder() + L"unpacked\\orphan\\orphan.inf";
  ScratchFolder empty(L"no-tool");
  EXPECT_FALSE(TheDriverOperations().RunUpdateHelper(L"PCI\\VEN_1AF4&DEV_FFFF", inf, empty.path()));
  EXPECT_FALSE(TheDriverOperations().RunUpdateHelper(L"PCI\\VEN_1AF4&DEV_FFFF", inf, SupportFolder()));
}

TEST(UpdateTool, ExitCodeSaysWhatHappened) {
  ScratchFolder scratch(L"tool");
  ASSERT_TRUE(::CreateDirectoryW((scratch.path() + L"folder.inf").c_str(), nullptr));
  const std::wstring tool = SupportFolder() + TheDriverOperations().UpdateToolName();
  const std::wstring orphan = FixturesFolder() + L"unpacked\\orphan\\orphan.inf";
  struct Case {
    std::wstring arguments;
    std::uint32_t exitCode;
  };
  const Case cases[] = {
      {L"", kToolBadArguments},
      {L"update", kToolBadArguments},
      {L"update \"" + orphan + L"\"", kToolBadArguments},
      {L"update \"" + orphan + L"\" \"PCI\\VEN_1AF4&DEV_FFFF\" extra", kToolBadArguments},
      {L"update \"" + scratch.path() + L"missing.inf\" \"PCI\\VEN_1AF4&DEV_FFFF\"", kToolBadArguments},
      {L"update \"" + scratch.path() + L"folder.inf\" \"PCI\\VEN_1AF4&DEV_FFFF\"", kToolBadArguments},
      {L"update \"" + orphan + L"\" \"PCI\\VEN_1AF4&DEV_FFFF\"", kToolRefused},
  };
  WinInstallParts parts(TheDriverOperations(), ProgramFolder());
  for (const Case& c : cases) {
    std::unique_ptr<StartedProcess> process = parts.StartHidden(tool, L"\"" + tool + L"\" " + c.arguments);
    ASSERT_TRUE(process) << c.arguments.c_str();
    ASSERT_TRUE(process->WaitEnded(120000)) << c.arguments.c_str();
    EXPECT_EQ(process->ExitCode(), c.exitCode) << c.arguments.c_str();
  }
}

// Counts the INF files of the system's INF folder that hold the text.
int InfCopiesOf(const std::string& text) {
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring folder = std::wstring(windows) + L"\\inf\\";
  int copies = 0;
  WIN32_FIND_DATAW found = {};
  HANDLE search = ::FindFirstFileW((folder + L"*.inf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if (ReadBytes(folder + found.cFileName) == text) ++copies;
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return copies;
}

TEST(StageDriverPackage, CopiesTheInfIntoTheSystemOnce) {
  const std::wstring inf = FixturesFolder() + L"unpacked\\orphan\\orphan.inf";
  ASSERT_EQ(InfCopiesOf(ReadBytes(inf)), 0);
  TheDriverOperations().StageDriverPackage(inf);
  EXPECT_EQ(InfCopiesOf(ReadBytes(inf)), 1);
  TheDriverOperations().StageDriverPackage(inf);  // no second copy
  EXPECT_EQ(InfCopiesOf(ReadBytes(inf)), 1);
}

// Run by the script once with Wine reporting Windows XP ("open") and once
// Vista ("runas"): the tool starts and installs either way.
TEST(UpdateTool, StartsOnThisWindowsVersion) {
  const wchar_t* expected = _wgetenv(L"VELKOR_EXPECT_WINDOWS_MAJOR");
  if (expected == nullptr) GTEST_SKIP() << "run by install_machine.sh with a Windows version";
  EXPECT_EQ(GetOSVersionCode().major, static_cast<std::uint32_t>(_wtoi(expected)));
  const std::wstring id = L"PCI\\VEN_10DE&DEV_0392";
  const std::wstring inf = FixturesFolder() + L"unpacked\\cab\\Drivers\\WinXP\\display.inf";
  EXPECT_TRUE(TheDriverOperations().RunUpdateHelper(id, inf, SupportFolder()));
  EXPECT_EQ(InstalledDriverFor(id).infText, ReadBytes(inf));
}

}  // namespace
}  // namespace velkor
