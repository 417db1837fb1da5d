// The backup run with one recorder for the view, the parts and the flow
// host's bracket, over a machine in memory whose drivers the real driver
// collection copies and whose archive the real archive layer writes: every
// text, the summary, the timers, the archive's entries, the backup list and
// the working folder, for the run's endings; and the calls the install's
// backup dialog makes.

#include <gtest/gtest.h>

#include <stdexcept>

#include "backup/backup_index.hpp"
#include "backup/backup_run.hpp"
#include "backup/zip_archive.hpp"
#include "core/flow_host.hpp"
#include "fake_backup_machine.hpp"

namespace velkor {
namespace {

const std::wstring kWorking = L"C:\\Temp\\Velkor\\";
const std::wstring kBackups = L"C:\\Backups\\";
const std::wstring kAdminOld =
    L"It is recommended to restart Velkor in administrator login. It will not provide complete functionality in "
    L"standard user account.";
const std::wstring kAdminQuestion = L"It is recommended to restart Velkor in administrator mode for backup purpose.";
const std::wstring kCannotSave = L"Unable to save backup file. \nPlease select another location to save backup file.";

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c == L'\n' ? '|' : (c < 0x80 ? static_cast<char>(c) : '?'));
  return out;
}

LocalTime At(int hour, int minute, int second) {
  LocalTime t;
  t.year = 2026;
  t.month = 12;
  t.day = 8;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.valid = true;
  return t;
}

// The archive sink of a full volume: writes fail after the first bytes.
class FullVolume final : public ZipFileSystem {
 public:
  explicit FullVolume(MemoryFileSystem& files) : files_(files) {}
  std::unique_ptr<SeekableByteSink> CreateArchive(const std::wstring& path) override {
    class Failing final : public SeekableByteSink {
     public:
      explicit Failing(std::unique_ptr<SeekableByteSink> inner) : inner_(std::move(inner)) {}
      bool Write(std::span<const std::uint8_t> bytes) override {
        if (inner_->Position() + bytes.size() > 64) return false;
        return inner_->Write(bytes);
      }
      bool Flush() override { return inner_->Flush(); }
      std::uint64_t Position() const override { return inner_->Position(); }
      bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        return inner_->WriteAt(offset, bytes);
      }

     private:
      std::unique_ptr<SeekableByteSink> inner_;
    };
    std::unique_ptr<SeekableByteSink> inner = files_.CreateArchive(path);
    return inner ? std::make_unique<Failing>(std::move(inner)) : nullptr;
  }
  std::unique_ptr<ByteSource> OpenFile(const std::wstring& p, FileFacts& f) override { return files_.OpenFile(p, f); }
  PathKind Probe(const std::wstring& p) override { return files_.Probe(p); }
  bool MakeFolder(const std::wstring& p) override { return files_.MakeFolder(p); }
  std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& p, std::uint32_t a) override {
    return files_.CreateNewFile(p, a);
  }
  bool RemoveFile(const std::wstring& p) override { return files_.RemoveFile(p); }
  std::vector<FolderItem> ListFolder(const std::wstring& p) override { return files_.ListFolder(p); }
  std::uint64_t UtcToLocal(std::uint64_t t) override { return t; }
  std::uint64_t LocalToUtc(std::uint64_t t) override { return t; }

 private:
  MemoryFileSystem& files_;
};

// What the machine and the user do in one scenario.
struct Scenario {
  bool admin = true;
  int major = 5;
  bool answerYes = false;
  bool relaunchOk = true;
  int devices = 2;
  std::optional<std::vector<std::int32_t>> checked = std::vector<std::int32_t>{0, 1};
  bool backupAll = false;
  int stopAtDevice = -1;  // Stop pressed while this device (0-based) shows
  std::optional<std::uint64_t> freeBytes = std::uint64_t{1} << 30;
  std::wstring backupLocation;
  bool fullVolume = false;
  bool throwInSelection = false;
};

class Recorder : public BackupView, public BackupParts, public OperationHost, public EngineStopTarget,
                 public WorkerThreads {
 public:
  explicit Recorder(Scenario scenario) : s(std::move(scenario)) {
    for (int i = 0; i < s.devices; ++i) {
      DeviceRecord& d = inventory[static_cast<std::size_t>(i)];
      const std::wstring n = std::to_wstring(i);
      d.Name = L"Device " + n;
      d.ClassDescription = i % 2 == 0 ? L"Display adapters" : L"Network adapters";
      d.DriverKey = L"{4D36E968-E325-11CE-BFC1-08002BE10318}\\000" + n;
      d.InfPath = L"drv" + n + L".inf";
      d.HardwareId = L"PCI\\VEN_10DE&DEV_000" + n;
      d.Spare = L"not copied";
      d.Tag = 5;
      machine.classKeys[d.DriverKey] = {d.InfPath, L"Inst", L""};
      machine.AddFile(test::kInfFolder + d.InfPath,
                      "[Version]\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n[Inst]\r\nCopyFiles=Inst.Files\r\n"
                      "[Inst.Files]\r\ndrv" + std::string(n.begin(), n.end()) + ".sys\r\n");
      machine.AddFile(test::kDrivers + (L"drv" + n + L".sys"), "driver " + std::string(n.begin(), n.end()));
    }
    deviceCount = s.devices;
    backupAll = s.backupAll;
    machine.files.AddFolder(L"C:\\Temp");
    machine.files.AddFolder(kBackups);
  }

  // BackupView
  void SetStatusText(const std::wstring& text) override { Log(L"status:" + text); }
  void SetDeviceText(const std::wstring& text) override { Log(L"label:" + text); }
  void ShowCurrentDevice(const std::wstring& name, const std::wstring& classDescription) override {
    Log(L"device:" + name + L"/" + classDescription);
    if (shown++ == s.stopAtDevice) {
      BackupRun* backup = run;
      host->RequestStop(kStopBackup, [backup](bool acknowledged) { backup->OnStopAnswered(acknowledged); });
    }
  }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void ShowMessage(const std::wstring& text, bool informationIcon) override {
    Log((informationIcon ? L"message(i):" : L"message:") + text);
  }
  bool AskYesNo(const std::wstring& text) override {
    Log(L"ask:" + text);
    return s.answerYes;
  }
  void ShowRunControls() override { Log(L"controls:run"); }
  void SetDescription(const wchar_t* key) override { Log(std::wstring(L"description:") + key); }
  void SetStopEnabled(bool enabled) override { Log(enabled ? L"stop:on" : L"stop:off"); }
  void SetBackupEnabled(bool enabled) override { Log(enabled ? L"backup:on" : L"backup:off"); }
  std::optional<std::vector<std::int32_t>> CheckedDevices() override {
    if (s.throwInSelection) throw std::runtime_error("tree gone");
    return s.checked;
  }
  void ShowSummary(const BackupSummary& summary) override {
    Log(L"summary:" + summary.total + L"|" + summary.selected + L"|" + summary.done + L"|" + summary.notDone);
  }
  void StartResultTimer(int id) override { Log(L"timer:" + std::to_wstring(id)); }

  // BackupParts
  LocalTime Now() override { return clock; }
  bool IsFullAdministrator() override { return s.admin; }
  int WindowsMajorVersion() override { return s.major; }
  bool RelaunchElevated() override {
    Log(L"relaunch");
    return s.relaunchOk;
  }
  void EndProcess() override { Log(L"exit"); }
  std::wstring ReadBackupLocation() override { return s.backupLocation; }
  ZipFileSystem& Files() override { return s.fullVolume ? static_cast<ZipFileSystem&>(fullVolume) : machine.files; }
  bool DeleteFolderTree(const std::wstring& folder) override {
    Log(L"delete:" + folder);
    return machine.files.RemoveTree(folder);
  }
  std::optional<std::uint64_t> FreeBytes(const std::wstring&) override { return s.freeBytes; }
  std::int32_t BackUpDrivers(const std::wstring& folder, std::span<const DeviceRecord> devices,
                             const BackupProgress& report) override {
    std::wstring names;
    for (const DeviceRecord& d : devices) names += (names.empty() ? L"" : L",") + d.Name;
    Log(L"engine:" + folder + L":" + names);
    return BackupDriversGuarded(machine, machine, folder, devices, report);
  }
  bool SaveBackupList() override {
    Log(L"save-list");
    savedList = backupList;
    return true;
  }

  // The flow host's bracket, stop target and threads.
  void BeginOperation() override { Log(L"begin"); }
  void EndOperation() override { Log(L"end"); }
  bool RequestAbort(std::int32_t kind) override {
    // The page's wait: the request is in the engine state, and the engine
    // answers at its next stop check (which this test runs right after).
    machine.engineState = kind;
    return true;
  }
  void ClearStop() override { machine.engineState = kEngineRunning; }
  bool Start(std::function<void()> body) override {
    body();
    return true;
  }

  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const std::wstring& e : log) out.push_back(Narrow(e));
    return out;
  }
  bool Has(const std::wstring& e) const { return std::find(log.begin(), log.end(), e) != log.end(); }
  // The archive's entry names, or none when it does not open.
  std::optional<std::vector<std::wstring>> ArchiveEntries(const std::wstring& path) {
    ZipHandle zip = ZipOpen(machine.files, path);
    if (!zip) return std::nullopt;
    ZipEntry count;
    ZipGetEntry(zip, -1, count);
    std::vector<std::wstring> names;
    for (int i = 0; i < count.index; ++i) {
      ZipEntry entry;
      ZipGetEntry(zip, i, entry);
      names.push_back(entry.name);
    }
    return names;
  }

  Scenario s;
  test::FakeBackupMachine machine;
  FullVolume fullVolume{machine.files};
  RecordTable inventory{kDeviceTableCapacity};
  std::int32_t deviceCount = 0;
  std::wstring tempFolder = kWorking;
  std::wstring backupFolder = kBackups;
  StringMap backupList;
  StringMap savedList;
  bool backupAll = false;
  LocalTime clock = At(21, 15, 30);
  BackupRun* run = nullptr;
  FlowHost* host = nullptr;
  int shown = 0;
  std::vector<std::wstring> log;
  std::vector<int> progress;

 private:
  void Log(std::wstring e) { log.push_back(std::move(e)); }
};

// The run as the page starts it: on the flow host, with one recorder for all.
struct Bench {
  explicit Bench(Scenario scenario = {}) : r(std::move(scenario)) {
    r.run = &run;
    r.host = &host;
  }
  FlowEnd Run() {
    FlowEnd end = FlowEnd::Done;
    host.RunHere([&] { return end = run.Run(r, outcome); });
    return end;
  }

  Recorder r;
  FlowHost host{r, &r, r};
  BackupRun run{r, BackupLinks{r.inventory, r.deviceCount, r.tempFolder, r.backupFolder, r.backupList, r.backupAll},
                host.Stop()};
  BackupOutcome outcome;
};

const std::wstring kArchiveName = L"Velkor DriverBackup-2026120809_1530PM.zip";

TEST(BackupRun, BothDevicesOfTwo) {
  Bench b;
  EXPECT_EQ(b.Run(), FlowEnd::Done);
  const std::vector<std::string> expected = {
      "begin",
      "controls:run",
      "description:IDS_BACKUP_DESC2",
      "status:Please wait while the backup starts...",
      "engine:C:\\Temp\\Velkor\\:Device 0,Device 1",
      "device:Device 0/Display adapters",
      "device:Device 1/Network adapters",
      "label:",
      "status:Please wait while the backup is being compressed...",
      "stop:off",
      "backup:off",
      "save-list",
      "delete:C:\\Temp\\Velkor",
      "description:IDS_BACKUP_DESC3",
      "summary:2 driver(s)|2 driver(s)|Backup of 2 driver(s) completed succesfully|--",
      "timer:160208",
      "end",
  };
  EXPECT_EQ(b.r.Events(), expected);
  EXPECT_EQ(b.r.progress, (std::vector<int>{0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));

  // One archive, named by the time, holding the index and one folder per device.
  const std::wstring archive = kBackups + L"Velkor DriverBackup-2026120809_1530PM.zip";
  EXPECT_EQ(b.outcome.archivePath, archive);
  EXPECT_EQ(b.r.ArchiveEntries(archive),
            (std::vector<std::wstring>{L"Device 0\\drv0.inf", L"Device 0\\drv0.sys", L"Device 1\\drv1.inf",
                                       L"Device 1\\drv1.sys", L"index.dat"}));
  EXPECT_EQ(b.r.savedList, (StringMap{{kArchiveName, archive}}));
  EXPECT_EQ(b.r.machine.files.Probe(L"C:\\Temp\\Velkor"), PathKind::Missing);
  EXPECT_FALSE(b.outcome.stopped);
  EXPECT_EQ(b.run.m_nStarted, 2);

  // The index in the archive: the eleven texts as the inventory has them,
  // Spare and Tag left empty.
  ZipHandle zip = ZipOpen(b.r.machine.files, archive);
  ASSERT_TRUE(zip);
  EXPECT_EQ(ZipExtractAll(zip, L"C:\\Check"), kZipOk);
  std::vector<IndexRecord> records;
  const std::unique_ptr<ByteSource> index = b.r.machine.OpenShared(L"C:\\Check\\index.dat");
  ReadIndexRecords(index.get(), [&](IndexRecord&& rec) {
    records.push_back(std::move(rec));
    return true;
  });
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].device.HardwareId, L"PCI\\VEN_10DE&DEV_0001");
  EXPECT_EQ(records[1].device.Spare, L"");
  EXPECT_EQ(records[1].device.Tag, 0);
  EXPECT_EQ(records[1].relativeFolder, L"Device 1\\");
}

TEST(BackupRun, Endings) {
  struct Case {
    const char* name;
    Scenario scenario;
    std::vector<std::wstring> present;  // events that must be there
    std::vector<std::wstring> absent;   // and events that must not
    bool archive;
    bool workingFolderKept;
  };
  auto with = [](auto change) {
    Scenario s;
    change(s);
    return s;
  };
  const std::wstring aborted = L"summary:2 driver(s)|2 driver(s)|Backup Aborted|Backup Aborted";
  const Case cases[] = {
      {"stop while copying", with([](Scenario& s) { s.stopAtDevice = 1; }),
       {aborted, L"description:IDS_BACKUP_DESC4", L"timer:201080", L"delete:C:\\Temp\\Velkor"},
       {L"status:Please wait while the backup is being compressed...", L"save-list"}, false, false},
      {"too little room", with([](Scenario& s) { s.freeBytes = 10; }),
       {L"message:" + kCannotSave, aborted, L"description:IDS_BACKUP_DESC4", L"timer:201080"},
       {L"save-list", L"delete:C:\\Temp\\Velkor"}, false, true},
      {"no such drive", with([](Scenario& s) { s.freeBytes = std::nullopt; }),
       {L"message:" + kCannotSave, aborted, L"timer:201080"}, {L"save-list"}, false, true},
      {"backup location is a file", with([](Scenario& s) { s.backupLocation = L"C:\\Backups\\notes.txt"; }),
       {L"message:" + kCannotSave, aborted, L"timer:201080"}, {L"save-list"}, false, true},
      {"volume full while writing", with([](Scenario& s) { s.fullVolume = true; }),
       {L"message:" + kCannotSave, aborted, L"timer:201080"}, {L"save-list"}, false, true},
      {"XP without rights", with([](Scenario& s) { s.admin = false; }),
       {L"message(i):" + kAdminOld, L"timer:160208"}, {L"ask:" + kAdminQuestion}, true, false},
      {"Vista without rights, No", with([](Scenario& s) {
         s.admin = false;
         s.major = 6;
       }),
       {L"ask:" + kAdminQuestion, L"timer:160208"}, {L"relaunch", L"message(i):" + kAdminOld}, true, false},
      {"Vista without rights, Yes, the start fails", with([](Scenario& s) {
         s.admin = false;
         s.major = 6;
         s.answerYes = true;
         s.relaunchOk = false;
       }),
       {L"relaunch", L"timer:160208"}, {L"exit"}, true, false},
      {"an exception in the run", with([](Scenario& s) { s.throwInSelection = true; }),
       {L"summary:2 driver(s)|||", L"timer:160208"}, {L"save-list", L"stop:off"}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.scenario);
    b.r.machine.AddFile(L"C:\\Backups\\notes.txt", "a file, not a folder");
    EXPECT_EQ(b.Run(), FlowEnd::Done);
    for (const std::wstring& e : c.present) EXPECT_TRUE(b.r.Has(e)) << Narrow(e);
    for (const std::wstring& e : c.absent) EXPECT_FALSE(b.r.Has(e)) << Narrow(e);
    EXPECT_EQ(b.r.ArchiveEntries(kBackups + kArchiveName).has_value(), c.archive);
    EXPECT_EQ(b.r.backupList.size(), c.archive ? 1u : 0u);
    EXPECT_EQ(b.r.machine.files.Probe(L"C:\\Temp\\Velkor") == PathKind::Folder, c.workingFolderKept);
    EXPECT_EQ(b.r.log.back(), L"end");
    // Stopped or not, the next run starts afresh.
    EXPECT_FALSE(b.host.Stop().Pressed());
  }
}

TEST(BackupRun, ElevatedStartEndsTheRun) {
  Scenario s;
  s.admin = false;
  s.major = 6;
  s.answerYes = true;
  Bench b(s);
  EXPECT_EQ(b.Run(), FlowEnd::KeepOperation);
  EXPECT_EQ(b.r.Events(), (std::vector<std::string>{
                              "begin", "ask:It is recommended to restart Velkor in administrator mode for backup purpose.",
                              "relaunch", "exit"}));
  EXPECT_TRUE(b.outcome.relaunched);
  EXPECT_TRUE(b.host.HasKeptOperation());
}

TEST(BackupRun, ChoiceOfDevices) {
  Scenario s;
  s.devices = 4;
  s.checked = std::vector<std::int32_t>{3, 1, 9, -1};  // tree order; numbers not in the inventory are left out
  Bench b(s);
  b.Run();
  EXPECT_TRUE(b.r.Has(L"engine:C:\\Temp\\Velkor\\:Device 3,Device 1"));
  EXPECT_TRUE(b.r.Has(L"summary:4 driver(s)|2 driver(s)|Backup of 2 driver(s) completed succesfully|--"));

  s.backupAll = true;  // every device in number order, whatever is checked
  Bench all(s);
  all.Run();
  EXPECT_TRUE(all.r.Has(L"engine:C:\\Temp\\Velkor\\:Device 0,Device 1,Device 2,Device 3"));
  EXPECT_FALSE(all.r.backupAll);

  s.checked = std::nullopt;  // no device tree: nothing is backed up
  Bench none(s);
  none.Run();
  for (const std::string& e : none.r.Events()) EXPECT_NE(e.rfind("engine:", 0), 0u) << e;
  EXPECT_TRUE(none.r.Has(L"summary:4 driver(s)|||"));
}

TEST(BackupRun, TwoBackupsWithinOneSecond) {
  Bench first;
  first.Run();
  Bench second;
  second.r.machine.files.AddFile(kBackups + kArchiveName, first.r.machine.Bytes(kBackups + kArchiveName));
  second.r.backupList = first.r.backupList;
  second.r.inventory[0].Name = L"Renamed";
  second.Run();
  EXPECT_EQ(second.r.backupList.size(), 1u);
  const auto entries = second.r.ArchiveEntries(kBackups + kArchiveName);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->front(), L"Device 1\\drv1.inf");  // the second archive replaced the first
}

TEST(BackupRun, BackupLocationSetting) {
  Scenario s;
  s.backupLocation = L"D:\\Saved\\Drivers";  // missing, two levels deep, without the final backslash
  Bench b(s);
  b.Run();
  EXPECT_EQ(b.r.backupFolder, L"D:\\Saved\\Drivers\\");
  EXPECT_TRUE(b.r.ArchiveEntries(L"D:\\Saved\\Drivers\\" + kArchiveName).has_value());
}

// The install's backup dialog: its own labels and progress, the devices it
// names, and the archive from the same packing step.
TEST(BackupRun, BackupBeforeInstall) {
  struct DialogLog final : BackupProgressView {
    void SetStatusText(const std::wstring& t) override { events.push_back(L"status:" + t); }
    void SetDeviceText(const std::wstring& t) override { events.push_back(L"label:" + t); }
    void ShowCurrentDevice(const std::wstring& n, const std::wstring& c) override {
      events.push_back(L"device:" + n + L"/" + c);
    }
    void SetProgress(int) override {}
    std::vector<std::wstring> events;
  };

  Scenario s;
  s.devices = 3;
  {
    Bench b(s);
    DialogLog dialog;
    b.run.PrepareFolders();
    const InstallBackupResult result = b.run.RunBackupBeforeInstall(dialog, {true, L"2|0| x|7|1x", -1});
    EXPECT_EQ(result.engineResult, kResultCompleted);
    EXPECT_EQ(result.installBackupDone, std::optional<bool>(true));
    EXPECT_TRUE(b.run.m_bDone);
    EXPECT_TRUE(b.r.Has(L"engine:C:\\Temp\\Velkor\\:Device 2,Device 0"));
    EXPECT_EQ(dialog.events, (std::vector<std::wstring>{L"device:Device 2/Display adapters",
                                                        L"device:Device 0/Display adapters"}));
    EXPECT_EQ(b.run.CompressBackup(false), 1);
    EXPECT_EQ(b.r.ArchiveEntries(kBackups + kArchiveName)->size(), 5u);
  }
  {
    Bench b(s);
    DialogLog dialog;
    const InstallBackupResult result = b.run.RunBackupBeforeInstall(dialog, {false, L"", 1});
    EXPECT_EQ(result.engineResult, kResultCompleted);
    EXPECT_FALSE(result.installBackupDone.has_value());
    EXPECT_EQ(dialog.events, (std::vector<std::wstring>{L"status:Device 1", L"label:Network adapters",
                                                        L"device:Device 1/Network adapters"}));
  }
  {
    Scenario stopping = s;
    stopping.stopAtDevice = 0;
    Bench b(stopping);
    // The recorder as the dialog: its Stop is pressed while the first device shows.
    const InstallBackupResult result = b.run.RunBackupBeforeInstall(b.r, {true, L"0|1", -1});
    EXPECT_EQ(result.engineResult, kResultBackupStopped);
    EXPECT_EQ(result.installBackupDone, std::optional<bool>(false));
    EXPECT_TRUE(b.run.m_bStopped);
    EXPECT_TRUE(b.run.m_bDone);
  }
  {
    Scenario empty = s;
    empty.devices = 0;
    Bench b(empty);
    DialogLog dialog;
    EXPECT_EQ(b.run.RunBackupBeforeInstall(dialog, {false, L"", 0}).engineResult, 0);
    EXPECT_FALSE(b.run.m_bDone);
  }
}

TEST(BackupRun, StopAnswerTimedOut) {
  Bench b;
  b.run.m_bDone = true;
  b.run.m_bStopped = true;
  b.run.OnStopAnswered(false);
  EXPECT_FALSE(b.run.m_bDone);
  EXPECT_FALSE(b.run.m_bStopped);
}

TEST(BackupRun, TreeGroupsAndArchiveNames) {
  RecordTable devices(kDeviceTableCapacity);
  const wchar_t* classes[] = {L"Display", L"Network", L"Display", L"", L"Network", L"display"};
  for (std::size_t i = 0; i < 6; ++i) devices[i].ClassDescription = classes[i];
  const std::vector<BackupTreeClass> groups = GroupDevicesByClass(devices, 6);
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].classDescription, L"Display");
  EXPECT_EQ(groups[0].devices, (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(groups[1].devices, (std::vector<std::int32_t>{1, 4}));
  EXPECT_EQ(groups[2].classDescription, L"");
  EXPECT_EQ(groups[3].classDescription, L"display");  // letter case makes another class
  EXPECT_TRUE(GroupDevicesByClass(devices, 0).empty());

  const struct {
    LocalTime time;
    const wchar_t* name;
  } names[] = {
      {At(21, 15, 30), L"Velkor DriverBackup-2026120809_1530PM.zip"},
      {At(0, 5, 9), L"Velkor DriverBackup-2026120812_0509AM.zip"},
      {At(12, 0, 0), L"Velkor DriverBackup-2026120812_0000PM.zip"},
      {At(9, 59, 59), L"Velkor DriverBackup-2026120809_5959AM.zip"},
  };
  for (const auto& n : names) EXPECT_EQ(BackupArchiveName(n.time), n.name);
}

}  // namespace
}  // namespace velkor
