// BackupDrivers on a machine in memory: device folders and their sharing, the
// class key and the INF name fallbacks, copies with second names, files that
// moved or are nowhere, the searches and what they walk, the index across
// runs, the progress steps, stops, the driver store and the setup log, and
// names from INF files that try to leave the device's folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "backup/backup_index.hpp"
#include "backup/backup_restore.hpp"
#include "fake_backup_machine.hpp"

namespace velkor {
namespace {

using test::kDrivers;
using test::kInfFolder;

const std::wstring kBackup = L"C:\\backup\\";
const std::wstring kStore = L"C:\\WINDOWS\\system32\\DriverStore\\FileRepository\\";

// A driver INF whose install section copies the listed lines to the drivers folder.
std::string Inf(const std::string& section, const std::vector<std::string>& lines) {
  std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[DestinationDirs]\r\nDefaultDestDir = 12\r\n[" +
                     section + "]\r\nCopyFiles = " + section + ".Files\r\n[" + section + ".Files]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

struct Engine {
  test::FakeBackupMachine m;
  DirIdCache dirIds;
  std::unique_ptr<CBackupRestore> engine = std::make_unique<CBackupRestore>(m, m, dirIds);
  std::vector<int> progress;
  std::vector<std::wstring> announced;  // the device the page would show at each announcement
  std::function<void(int announcement)> onAnnounce;
  int keys = 0;

  Engine() { m.files.AddFolder(kBackup); }

  // A device whose class key names infName and section, with a driver key of its own.
  DeviceRecord Device(const std::wstring& name, const std::wstring& infName, const std::wstring& section = L"Inst") {
    DeviceRecord d;
    d.Name = name;
    d.ClassDescription = L"Class";
    d.DriverKey = L"{4D36E967-E325-11CE-BFC1-08002BE10318}\\" + std::to_wstring(keys++);
    d.InfPath = infName;
    m.classKeys[d.DriverKey] = {infName, section, L""};
    return d;
  }
  void AddInf(const std::wstring& name, const std::string& text) { m.AddFile(kInfFolder + name, text); }

  std::int32_t Run(const std::vector<DeviceRecord>& devices) {
    int announcements = 0;
    return engine->BackupDrivers(kBackup, devices, [&](std::span<const DeviceRecord> list, int percent) {
      if (!list.empty()) {
        announced.push_back(list[static_cast<std::size_t>(announcements++)].Name);
        if (onAnnounce) onAnnounce(announcements);
      }
      progress.push_back(percent);
    });
  }
  // A fresh engine object, as every run of the backup has.
  void Renew() { engine = std::make_unique<CBackupRestore>(m, m, dirIds); }

  std::vector<IndexRecord> Index() {
    std::vector<IndexRecord> records;
    const std::unique_ptr<ByteSource> file = m.OpenShared(kBackup + L"index.dat");
    ReadIndexRecords(file.get(), [&](IndexRecord&& r) {
      records.push_back(std::move(r));
      return true;
    });
    return records;
  }
  std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const MemoryFileSystem::Node* node : m.files.Nodes()) {
      if (node->kind == PathKind::File && node->path.rfind(folder, 0) == 0) names.push_back(node->path.substr(folder.size()));
    }
    return names;
  }
};

using Names = std::vector<std::wstring>;

TEST(DriverCollection, DevicesOfOneNameShareAFolderAndARecord) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {"a.sys"}));
  e.AddInf(L"b.inf", Inf("Inst", {"b.sys,b_orig.sys,,2"}));
  e.m.AddFile(kDrivers + std::wstring(L"a.sys"), "driver a");
  e.m.AddFile(kDrivers + std::wstring(L"b.sys"), "driver b");
  EXPECT_EQ(e.Run({e.Device(L"Disk drive", L"a.inf"), e.Device(L"Disk drive", L"b.inf")}), kResultCompleted);

  // Both drivers' files in the one folder; the second name is a second copy.
  EXPECT_EQ(e.FilesBelow(kBackup + L"Disk drive\\"), (Names{L"a.inf", L"a.sys", L"b.inf", L"b.sys", L"b_orig.sys"}));
  EXPECT_EQ(e.m.Text(kBackup + L"Disk drive\\a.sys"), "driver a");
  EXPECT_EQ(e.m.Text(kBackup + L"Disk drive\\b_orig.sys"), "driver b");
  const std::vector<IndexRecord> index = e.Index();
  ASSERT_EQ(index.size(), 1u);
  EXPECT_EQ(index[0].device.Name, L"Disk drive");
  EXPECT_EQ(index[0].device.InfPath, L"a.inf");
  EXPECT_EQ(index[0].relativeFolder, L"Disk drive\\");
  EXPECT_EQ(index[0].sequence, 1u);
}

// MakeFolderName drops the characters a folder name cannot hold, so two
// names can give one folder; each device keeps its own record, and a second
// device of the same such name shares the first one's.
TEST(DriverCollection, NamesThatMakeOneFolderName) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {"a.sys"}));
  e.m.AddFile(kDrivers + std::wstring(L"a.sys"), "a");
  EXPECT_EQ(e.Run({e.Device(L"A/B C", L"a.inf"), e.Device(L"A/B: C", L"a.inf"), e.Device(L"A/B C", L"a.inf")}),
            kResultCompleted);
  EXPECT_EQ(e.FilesBelow(kBackup), (Names{L"AB C\\a.inf", L"AB C\\a.sys", L"index.dat"}));
  const std::vector<IndexRecord> index = e.Index();
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].device.Name, L"A/B C");
  EXPECT_EQ(index[1].device.Name, L"A/B: C");
  EXPECT_EQ(index[1].relativeFolder, L"AB C\\");
}

TEST(DriverCollection, ASecondRunIntoTheFolderContinuesTheIndex) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {}));
  EXPECT_EQ(e.Run({e.Device(L"one", L"a.inf"), e.Device(L"two", L"a.inf"), e.Device(L"three", L"a.inf")}),
            kResultCompleted);
  e.Renew();
  EXPECT_EQ(e.Run({e.Device(L"two", L"a.inf"), e.Device(L"four", L"a.inf"), e.Device(L"five", L"a.inf")}),
            kResultCompleted);

  const std::vector<std::uint8_t> file = e.m.Bytes(kBackup + L"index.dat");
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 4), (std::vector<std::uint8_t>{11, 0, 0, 0}));
  std::vector<std::pair<std::wstring, std::uint32_t>> records;
  for (const IndexRecord& r : e.Index()) records.emplace_back(r.device.Name, r.sequence);
  // One header; "two" is there already; the numbering goes on.
  EXPECT_EQ(records, (std::vector<std::pair<std::wstring, std::uint32_t>>{
                         {L"one", 1}, {L"two", 2}, {L"three", 3}, {L"four", 4}, {L"five", 5}}));
}

// An index file that exists without any bytes (a write that never happened)
// gets its header with the first record.
TEST(DriverCollection, AnEmptyIndexFileGetsItsHeader) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {}));
  e.m.AddFile(kBackup + L"index.dat", "");
  EXPECT_EQ(e.Run({e.Device(L"one", L"a.inf")}), kResultCompleted);
  ASSERT_EQ(e.Index().size(), 1u);
  EXPECT_EQ(e.Index()[0].sequence, 1u);
}

TEST(DriverCollection, FilesNotWhereTheInfSays) {
  for (const std::wstring windows : {L"C:\\WINDOWS", L"C:\\Windows"}) {
    Engine e;
    e.m.inf.folders[kCsidlWindows] = windows;
    e.m.inf.folders[kCsidlSystem] = windows + L"\\system32";
    e.Renew();
    const std::wstring infFolder = windows + L"\\inf\\";
    e.m.AddFile(infFolder + L"a.inf", Inf("Inst", {"moved.sys", "elsewhere.sys", "nowhere.sys", "@single.dll"}));
    e.m.AddFile(infFolder + L"b.inf", Inf("Inst", {"nowhere.sys", "elsewhere.sys"}));
    e.m.AddFile(windows + L"\\system32\\old\\moved.sys", "moved");
    e.m.AddFile(L"C:\\Vendor\\Drivers\\elsewhere.sys", "elsewhere");
    e.m.AddFile(windows + L"\\system32\\drivers\\single.dll", "single");
    e.m.files.AddLink(L"C:\\Loop");  // a junction back to C:\ would walk for ever
    e.m.files.AddFolder(L"C:\\Documents and Settings\\user");

    EXPECT_EQ(e.Run({e.Device(L"Dev", L"a.inf"), e.Device(L"Other", L"b.inf")}), kResultCompleted);
    EXPECT_EQ(e.FilesBelow(kBackup + L"Dev\\"), (Names{L"a.inf", L"elsewhere.sys", L"moved.sys", L"single.dll"}));
    EXPECT_EQ(e.m.Text(kBackup + L"Dev\\moved.sys"), "moved");
    EXPECT_EQ(e.FilesBelow(kBackup + L"Other\\"), (Names{L"b.inf", L"elsewhere.sys"}));

    // The Windows folder was walked once for each name sought there, and the
    // drive's walk never went into it again; the second device's names were
    // not searched again; the link was never listed.
    EXPECT_EQ(e.m.Listings(windows + L"\\system32\\old\\"), 3) << windows;  // moved, elsewhere, nowhere
    EXPECT_EQ(e.m.Listings(L"C:\\"), 2) << windows;                        // elsewhere.sys, then nowhere.sys
    EXPECT_EQ(e.m.Listings(L"C:\\Loop\\"), 0);
    EXPECT_EQ(e.m.Listings(windows + L"\\"), 3) << windows;  // moved, elsewhere, nowhere
  }
}

TEST(DriverCollection, ClassKeyAndInfNameFallbacks) {
  Engine e;
  e.AddInf(L"own.inf", Inf("Inst", {"own.sys"}));
  e.AddInf(L"keyed.inf", Inf("Keyed", {"keyed.sys"}));
  e.m.AddFile(kDrivers + std::wstring(L"own.sys"), "own");
  e.m.AddFile(kDrivers + std::wstring(L"keyed.sys"), "keyed");
  e.m.AddFile(L"C:\\WINDOWS\\system.ini", "not a driver");

  DeviceRecord keyed = e.Device(L"Keyed", L"ignored.inf");
  e.m.classKeys[keyed.DriverKey] = {L"keyed.inf", L"Keyed", L""};
  DeviceRecord noKey = e.Device(L"No key", L"own.inf");
  e.m.classKeys.erase(noKey.DriverKey);  // cannot be opened: the device's INF, no section
  DeviceRecord fullPath = e.Device(L"Full path", L"C:\\Drivers\\own.inf");
  e.m.classKeys[fullPath.DriverKey] = {L"", L"Inst", L""};  // the INF's name part stands in
  DeviceRecord climbing = e.Device(L"Climbing", L"own.inf");
  e.m.classKeys[climbing.DriverKey] = {L"..\\system.ini", L"Inst", L""};
  DeviceRecord none = e.Device(L"No INF", L"");
  e.m.classKeys[none.DriverKey] = {L"", L"", L""};
  DeviceRecord nameless;  // no name, no driver key: nothing at all

  EXPECT_EQ(e.Run({keyed, noKey, fullPath, climbing, none, nameless}), kResultCompleted);
  EXPECT_EQ(e.FilesBelow(kBackup + L"Keyed\\"), (Names{L"keyed.inf", L"keyed.sys"}));
  EXPECT_EQ(e.FilesBelow(kBackup + L"No key\\"), (Names{L"own.inf"}));
  EXPECT_EQ(e.FilesBelow(kBackup + L"Full path\\"), (Names{L"own.inf", L"own.sys"}));
  EXPECT_EQ(e.FilesBelow(kBackup + L"Climbing\\"), (Names{L"own.inf", L"own.sys"}));
  EXPECT_TRUE(e.FilesBelow(kBackup + L"No INF\\").empty());
  EXPECT_EQ(e.m.files.Probe(kBackup + L"No INF"), PathKind::Folder);  // its folder, but no record
  Names recorded;
  for (const IndexRecord& r : e.Index()) recorded.push_back(r.device.Name);
  EXPECT_EQ(recorded, (Names{L"Keyed", L"No key", L"Full path", L"Climbing"}));
}

// Names in an INF file are outside input: a second name or a source that
// would lead out of the device's folder is not copied there, and nothing is
// written anywhere but below the backup folder.
TEST(DriverCollection, NamesFromTheInfStayInTheDeviceFolder) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {"a.sys,..\\..\\..\\WINDOWS\\evil.sys", "b.sys,C:x.sys", "c.sys,con",
                                  "..\\..\\escape.sys", "d.sys, d_orig.sys ,,2"}));
  for (const wchar_t* name : {L"a.sys", L"b.sys", L"c.sys", L"d.sys"}) e.m.AddFile(kDrivers + std::wstring(name), "x");
  e.m.AddFile(L"C:\\WINDOWS\\system32\\escape.sys", "found by the search");
  std::vector<std::wstring> before;
  for (const MemoryFileSystem::Node* node : e.m.files.Nodes()) before.push_back(node->path);

  EXPECT_EQ(e.Run({e.Device(L"Dev", L"a.inf")}), kResultCompleted);
  EXPECT_EQ(e.FilesBelow(kBackup + L"Dev\\"),
            (Names{L"a.inf", L"a.sys", L"b.sys", L"c.sys", L"d.sys", L"d_orig.sys", L"escape.sys"}));
  for (const MemoryFileSystem::Node* node : e.m.files.Nodes()) {
    const bool old = std::find(before.begin(), before.end(), node->path) != before.end();
    EXPECT_TRUE(old || node->path.rfind(kBackup, 0) == 0) << std::string(node->path.begin(), node->path.end());
  }
}

TEST(DriverCollection, FiveProgressStepsPerDevice) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {}));
  EXPECT_EQ(e.Run({e.Device(L"A", L"a.inf"), e.Device(L"B", L"a.inf")}), kResultCompleted);
  EXPECT_EQ(e.progress, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));
  EXPECT_EQ(e.announced, (Names{L"A", L"B"}));

  // Into the same folder again: A is in the index already and skips the step
  // of its record.
  e.Renew();
  e.progress.clear();
  EXPECT_EQ(e.Run({e.Device(L"A", L"a.inf"), e.Device(L"C", L"a.inf")}), kResultCompleted);
  EXPECT_EQ(e.progress, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

  // Without name and driver key only the first step; without an INF name the
  // first and the last.
  e.Renew();
  e.progress.clear();
  DeviceRecord noInf = e.Device(L"No INF", L"");
  e.m.classKeys[noInf.DriverKey] = {};
  EXPECT_EQ(e.Run({DeviceRecord{}, noInf}), kResultCompleted);
  EXPECT_EQ(e.progress, (std::vector<int>{10, 20, 30, 100}));
}

TEST(DriverCollection, StopBetweenDevicesKeepsTheRecordsWritten) {
  for (const bool acknowledgeFails : {false, true}) {
    Engine e;
    e.AddInf(L"a.inf", Inf("Inst", {}));
    e.m.acknowledgeFails = acknowledgeFails;
    e.onAnnounce = [&](int announcement) {
      if (announcement == 2) e.m.engineState = kStopBackup;  // Stop pressed while the second device shows
    };
    EXPECT_EQ(e.Run({e.Device(L"one", L"a.inf"), e.Device(L"two", L"a.inf"), e.Device(L"three", L"a.inf")}),
              acknowledgeFails ? kResultFailed : kResultBackupStopped);
    EXPECT_EQ(e.m.engineState, acknowledgeFails ? kStopBackup : kStopAcknowledged);
    ASSERT_EQ(e.Index().size(), 1u);
    EXPECT_EQ(e.Index()[0].device.Name, L"one");
    EXPECT_EQ(e.m.files.Probe(kBackup + L"two"), PathKind::Missing);
    EXPECT_EQ(e.progress.back(), 40);  // the second device's announcement (6 of 15 steps), no final 100
  }
}

TEST(DriverCollection, StopDuringASearch) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {"lost.sys"}));
  e.AddInf(L"b.inf", Inf("Inst", {"lost.sys"}));
  e.m.files.AddFolder(L"C:\\WINDOWS\\system32\\deep\\er");
  e.m.onList = [&](const std::wstring& folder) {
    if (folder == L"C:\\WINDOWS\\system32\\deep\\") e.m.engineState = kStopBackup;
  };
  EXPECT_EQ(e.Run({e.Device(L"one", L"a.inf"), e.Device(L"two", L"b.inf")}), kResultBackupStopped);
  EXPECT_EQ(e.m.Listings(L"C:\\WINDOWS\\system32\\deep\\er\\"), 0);
  EXPECT_EQ(e.m.Listings(L"C:\\"), 0);  // the drive's walk never began
  EXPECT_TRUE(e.Index().empty());
}

TEST(DriverCollection, DriverStoreOnVista) {
  Engine e;
  e.m.SetOsVersionCode(6);
  // Published as oem5.inf; in the store under its own name.
  e.AddInf(L"oem5.inf", Inf("Inst", {"from_inf.sys"}));
  e.m.AddFile(kStore + L"abc.inf_1a2b\\abc.inf", "abc inf");
  e.m.AddFile(kStore + L"abc.inf_1a2b\\abc.sys", "abc sys");
  e.m.AddFile(kStore + L"abc.inf_1a2b\\amd64\\abc64.sys", "abc64");
  e.m.AddFile(kStore + L"xyz.inf_5678\\xyz.inf", "xyz inf");
  e.m.AddFile(kStore + L"xyz.inf_5678\\xyz.dll", "xyz dll");
  e.m.AddFile(kStore + L"other.inf_9\\other.inf", "other");
  // oem7.inf names a package whose store folder only the setup log knows.
  e.AddInf(L"oem7.inf", Inf("Inst", {}));
  e.AddInf(L"oem8.inf", Inf("Inst", {"eight.sys"}));
  e.m.AddFile(kDrivers + std::wstring(L"eight.sys"), "eight");
  e.m.AddFile(L"C:\\WINDOWS\\inf\\setupapi.dev.log",
              "[Device Install Log]\r\n"
              "     idb:      Published 'xyz.inf_5678\\xyz.inf' to 'C:\\WINDOWS\\inf\\oem7.inf'.\r\n"
              "     sto:      no idb line: 'C:\\WINDOWS\\inf\\oem7.inf'\r\n"
              // The last matching line for oem8.inf quotes a full path first: its
              // "c:" would name every package of the store.
              "     idb:      Published 'other.inf_9\\other.inf' to 'C:\\WINDOWS\\inf\\oem8.inf'.\r\n"
              "     idb:      Unpublished 'C:\\WINDOWS\\inf\\oem8.inf'.\r\n");

  DeviceRecord abc = e.Device(L"Abc", kStore + L"abc.inf_1a2b\\abc.inf");
  e.m.classKeys[abc.DriverKey] = {L"oem5.inf", L"Inst", L""};
  DeviceRecord xyz = e.Device(L"Xyz", L"oem7.inf");
  DeviceRecord eight = e.Device(L"Eight", L"oem8.inf");
  EXPECT_EQ(e.Run({abc, xyz, eight}), kResultCompleted);

  // Every file of the package's store folder, its subfolders' flat beside
  // them; nothing the published INF names.
  EXPECT_EQ(e.FilesBelow(kBackup + L"Abc\\"), (Names{L"abc.inf", L"abc.sys", L"abc64.sys"}));
  EXPECT_EQ(e.m.Text(kBackup + L"Abc\\abc64.sys"), "abc64");
  EXPECT_EQ(e.FilesBelow(kBackup + L"Xyz\\"), (Names{L"xyz.dll", L"xyz.inf"}));
  EXPECT_EQ(e.m.Text(kBackup + L"Xyz\\xyz.inf"), "xyz inf");
  // Nothing found in the store: the INF reader, as on other systems.
  EXPECT_EQ(e.FilesBelow(kBackup + L"Eight\\"), (Names{L"eight.sys", L"oem8.inf"}));
  EXPECT_EQ(e.engine->m_arrSetupApiLines.size(), 2u);
  EXPECT_EQ(e.m.Listings(kStore), 1);  // the store is listed once per engine

  // Without a store, the INF reader.
  Engine plain;
  plain.m.SetOsVersionCode(6);
  plain.AddInf(L"oem5.inf", Inf("Inst", {"from_inf.sys"}));
  plain.m.AddFile(kDrivers + std::wstring(L"from_inf.sys"), "from inf");
  EXPECT_EQ(plain.Run({plain.Device(L"Plain", L"oem5.inf")}), kResultCompleted);
  EXPECT_EQ(plain.FilesBelow(kBackup + L"Plain\\"), (Names{L"from_inf.sys", L"oem5.inf"}));
}

TEST(DriverCollection, AnEscapingExceptionIsAFailure) {
  Engine e;
  e.AddInf(L"a.inf", Inf("Inst", {}));
  DeviceRecord d = e.Device(L"one", L"a.inf");
  e.m.onList = [](const std::wstring&) { throw std::runtime_error("listing failed"); };
  e.AddInf(L"a.inf", Inf("Inst", {"lost.sys"}));
  const std::vector<DeviceRecord> devices{d};
  EXPECT_EQ(BackupDriversGuarded(e.m, e.m, kBackup, devices, {}), kResultFailed);
}

}  // namespace
}  // namespace velkor
