#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/md5.hpp"
#include "core/flow_host.hpp"
#include "download/download_queue.hpp"
#include "download/folder_name.hpp"
#include "lookup/result_rows.hpp"

namespace velkor {
namespace {

const std::wstring kFolder = L"C:\\dl\\";
const std::wstring kDate = L"December 10, 2026   11:59 PM";
const std::wstring kWaitDownloading = L"Please wait downloading will start in a moment...";
const std::wstring kCompletedFor = L"Download completed successfully for driver - ";
const std::wstring kStarting = L"Starting to download - ";
const std::wstring kSkipped = L"Download skipped...";
const std::wstring kCheckConnection = L"Please check your Internet Connection and retry after sometime.";
const std::wstring kInternetProblem = L"Download aborted due to internet problem for driver - ";
const std::wstring kUnableToSave = L"Download aborted. Unable to save driver - ";
const std::wstring kSelectAnother = L"Please select another location to save driver downloads.";
const std::wstring kStoppedBox = L"Downloading stopped successfully.";
const std::wstring kCompletedBox = L"Download Completed Successfully.";
const std::wstring kCongrats = L"Congrats! You have updated all the drivers successfully.";
const std::wstring kConnectionBox =
    L"Download aborted due to internet connection error. \nPlease check your internet connection and retry download "
    L"for drivers.";
const std::wstring kUnableBox =
    L"Download aborted. Unable to save driver setup. \nPlease select another location to save driver downloads.";

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c == L'\n' ? '|' : (c < 0x80 ? static_cast<char>(c) : '?'));
  return out;
}

std::wstring Md5Of(const std::string& bytes) {
  return Md5OfBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::wstring HardwareId(int device) { return L"PCI\\VEN_8086&DEV_000" + std::to_wstring(device); }
std::wstring SavedPath(int device) { return kFolder + DownloadFileKey(HardwareId(device)) + L".zip"; }
std::wstring Url(int device) { return L"http://h/pkg-" + std::to_wstring(device) + L".zip"; }
std::string Package(int device) { return "package of device " + std::to_string(device); }
std::wstring Answer(int device) { return Url(device) + L"|" + Md5Of(Package(device)); }
std::wstring Name(int device) { return L"Device " + std::to_wstring(device); }

// One delivery of a transfer: the body the server sends, and how it ends.
struct Delivery {
  std::string body;
  bool ok = true;           // false: the connection breaks after half the body
  bool opensFile = true;    // false: the target file cannot be opened
  bool stopMidway = false;  // the user presses Stop after half the body has arrived
};

// One log for view, parts and the host's bracket; the host's threads run where
// they are started, so the order of everything shows.
class Recorder : public DownloadView, public DownloadParts, public OperationHost, public WorkerThreads {
 public:
  // DownloadView
  void ClearLog() override { Log(L"clear"); }
  void LogLine(const std::wstring& date, const std::wstring& text, bool newLine) override {
    EXPECT_EQ(date, kDate);
    Log((newLine ? L"log:" : L"progress:") + text);
  }
  void SetProgress(int percent) override { bar.push_back(percent); }
  void SetHeadingDescription(const wchar_t* key) override { Log(std::wstring(L"heading:") + key); }
  void ShowRunButtons(bool running) override { Log(running ? L"buttons:run" : L"buttons:idle"); }
  void SetStopEnabled(bool enabled) override { Log(enabled ? L"stop:on" : L"stop:off"); }
  void SetStopLabel(const std::wstring& text) override { Log(L"label:" + text); }
  void ShowMessage(const std::wstring& text) override { Log(L"box:" + text); }
  void SetRowKind(int row, int kind) override {
    Log(L"row:" + std::to_wstring(row) + L"=" + std::to_wstring(kind));
    scan->m_Rows.at(static_cast<std::size_t>(row)).kind = kind;
  }
  void ClosePage() override { Log(L"page:close"); }
  void OpenInstallConfirmation() override { Log(L"page:confirm"); }

  // DownloadParts
  LocalTime Now() override {
    LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 10;
    t.hour = 23;
    t.minute = 59;
    t.valid = true;
    return t;
  }
  std::wstring DownloadFolder() override { return kFolder; }
  bool PathExists(const std::wstring& path) override { return path == kFolder ? folderExists : files.count(path) != 0; }
  bool CreateFolder(const std::wstring& path) override {
    Log(L"mkdir:" + path);
    folderExists = true;
    return true;
  }
  bool DeleteFile(const std::wstring& path) override {
    Log(L"delete:" + path);
    return files.erase(path) != 0;
  }
  std::wstring FileMd5(const std::wstring& path) override {
    const auto found = files.find(path);
    return found == files.end() ? std::wstring() : Md5Of(found->second);
  }
  bool DriverLookup(const std::wstring& key, const std::wstring& osCode, std::wstring& answer) override {
    Log(L"lookup:" + key);
    EXPECT_EQ(osCode, L"4");
    const auto found = answers.find(key);
    if (found == answers.end()) return false;
    answer = found->second;
    return true;
  }
  bool SaveDownloadList() override {
    Log(L"save");
    saved = *list;
    return true;
  }
  void PumpMessages() override { ++pumps; }
  void SleepMilliseconds(unsigned milliseconds) override { slept += milliseconds; }
  void SetTransfer(const std::wstring& url, const std::wstring& path) override {
    transferUrl = url;
    transferPath = path;
  }
  bool Download() override {
    Log(L"transfer:" + transferUrl);
    Delivery delivery;
    auto& queued = deliveries[transferUrl];
    if (!queued.empty()) {
      delivery = queued.front();
      queued.pop_front();
    } else {
      delivery.body = served[transferUrl];
    }
    const bool existed = files.count(transferPath) != 0;
    opened = delivery.opensFile;
    if (!opened) return false;
    const std::string half = delivery.body.substr(0, delivery.body.size() / 2);
    files[transferPath] = half;
    queue->OnProgress(half.size(), true, delivery.body.size(), 0);
    if (delivery.stopMidway) {
      // The page's Stop button: the stop request, then the queue's command.
      // The transfer notices it after a progress report and ends "well",
      // with half the body in the file.
      host->RequestStop(0);
      queue->OnStopCommand();
      return true;
    }
    const bool ok = delivery.ok;
    if (ok) {
      files[transferPath] = delivery.body;
      queue->OnProgress(delivery.body.size(), true, delivery.body.size(), 0);
    }
    if (!ok && !existed) files.erase(transferPath);
    return ok;
  }
  bool TransferOpenedFile() override { return opened; }
  void ClearTransferAbort() override {}
  void AbortTransfer() override { Log(L"abort"); }
  void ForgetCachedCopy(const std::wstring&) override {}
  void ShowTransferStatus(int id) override { Log(L"status:" + std::to_wstring(id)); }

  // The host's bracket and threads.
  void BeginOperation() override { Log(L"begin"); }
  void EndOperation() override { Log(L"end"); }
  bool Start(std::function<void()> body) override {
    body();
    return true;
  }

  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const auto& e : log) out.push_back(Narrow(e));
    return out;
  }
  int Count(const std::wstring& event) const {
    int n = 0;
    for (const auto& e : log) n += e == event ? 1 : 0;
    return n;
  }
  bool Has(const std::wstring& event) const { return Count(event) > 0; }
  int CountPrefix(const std::wstring& prefix) const {
    int n = 0;
    for (const auto& e : log) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  ScanResult* scan = nullptr;
  StringMap* list = nullptr;
  DownloadQueue* queue = nullptr;
  FlowHost* host = nullptr;
  bool folderExists = true;
  std::map<std::wstring, std::wstring> answers;          // ServerHardwareId -> "URL|MD5"
  std::map<std::wstring, std::string> served;            // URL -> the body a transfer gets
  std::map<std::wstring, std::deque<Delivery>> deliveries;  // URL -> particular deliveries first
  std::map<std::wstring, std::string> files;             // the download folder
  StringMap saved;                                       // what Download.dat last got
  std::wstring transferUrl, transferPath;
  bool opened = false;
  int pumps = 0;
  unsigned slept = 0;
  std::vector<std::wstring> log;
  std::vector<int> bar;

 private:
  void Log(std::wstring e) { log.push_back(std::move(e)); }
};

// A scan that found updates for the given devices, one category row first,
// each device served with its own package.
struct Harness {
  explicit Harness(const std::vector<int>& devices, int kind = kRowDownload) {
    rec.scan = &scan;
    rec.list = &list;
    rec.queue = &queue;
    rec.host = &host;
    scan.m_Devices[0].Next = std::make_unique<RecordTable>(kDeviceTableCapacity);
    RecordTable& updates = *scan.m_Devices[0].Next;
    scan.m_Rows.push_back({kRowCategory, L"Network adapters", devices.empty() ? -1 : devices.front()});
    for (const int d : devices) {
      scan.m_Devices[d].Name = Name(d);
      updates[d].HardwareId = HardwareId(d);
      updates[d].ServerHardwareId = L"key-" + std::to_wstring(d);
      scan.m_Rows.push_back({kind, Name(d), d});
      rec.answers[L"key-" + std::to_wstring(d)] = Answer(d);
      rec.served[Url(d)] = Package(d);
    }
    scan.m_nDeviceCount = scan.m_nUpdateCount = static_cast<std::int32_t>(devices.size());
  }
  // The device's package already downloaded and listed.
  void AlreadyHere(int d) {
    rec.files[SavedPath(d)] = Package(d);
    list[DownloadFileKey(HardwareId(d))] = SavedPath(d);
  }
  DownloadOutcome One(std::int32_t device, int row) {
    DownloadOutcome outcome;
    EXPECT_TRUE(host.RunHere([&] { return queue.DownloadOneThread(device, row, outcome); }));
    return outcome;
  }
  DownloadOutcome All() {
    DownloadOutcome outcome;
    EXPECT_TRUE(host.RunHere([&] { return queue.DownloadAllThread(outcome); }));
    return outcome;
  }
  std::vector<std::wstring> Boxes() const {
    std::vector<std::wstring> out;
    for (const auto& e : rec.log) {
      if (e.rfind(L"box:", 0) == 0) out.push_back(e.substr(4));
    }
    return out;
  }

  Recorder rec;
  ScanResult scan;
  StringMap list;
  FlowHost host{rec, nullptr, rec};
  DownloadQueue queue{rec, rec, scan, list, host.Stop(), L"4"};
};

TEST(DownloadQueue, OneDeviceStepByStep) {
  Harness h({3});
  const DownloadOutcome outcome = h.One(3, 1);
  const std::string name = "Device 3";
  EXPECT_EQ(h.rec.Events(),
            (std::vector<std::string>{"begin", "heading:IDS_DOWNLOAD_HEADING1_DESC1", "clear", "buttons:run",
                                      "log:" + Narrow(kWaitDownloading), "lookup:key-3", "log:" + Narrow(kStarting) + name,
                                      "transfer:" + Narrow(Url(3)), "progress:0.01 KB  of 0.00 MB",
                                      "progress:0.02 KB  of 0.00 MB", "log:" + Narrow(kCompletedFor) + name, "save",
                                      "row:1=1", "box:" + Narrow(kCompletedBox), "buttons:idle", "end"}));
  EXPECT_EQ(h.list.at(DownloadFileKey(HardwareId(3))), SavedPath(3));
  EXPECT_EQ(h.rec.saved, h.list);
  EXPECT_EQ(h.rec.files.at(SavedPath(3)), Package(3));
  EXPECT_EQ(h.queue.m_okCount, 1);
  EXPECT_EQ(h.queue.m_urlDone.at(Url(3)), SavedPath(3));
  EXPECT_EQ(h.queue.m_fileTitle, L"pkg-3.zip");
  EXPECT_EQ(h.queue.m_expectedMd5, Md5Of(Package(3)));
  EXPECT_EQ(h.scan.m_Rows[1].kind, kRowInstall);
  EXPECT_EQ(h.rec.bar.front(), 0);
  EXPECT_EQ(h.rec.bar.back(), 100);
  ASSERT_EQ(outcome.devices.size(), 1u);
  EXPECT_TRUE(outcome.devices[0].ok);
  EXPECT_EQ(outcome.devices[0].row, 1);
  EXPECT_EQ(outcome.devices[0].path, SavedPath(3));
}

// The edge cases of one device's run: what is logged, what the box says, what
// the download list and the download folder hold afterwards.
TEST(DownloadQueue, OneDeviceOutcomes) {
  struct Case {
    const char* name;
    std::function<void(Harness&)> setup;
    int transfers;
    std::vector<std::wstring> lines;  // log lines after the run's first
    std::wstring box;
    bool listed;       // the device's key in the download list afterwards
    bool fileKept;     // the saved path exists afterwards
    int saves;
  };
  const int d = 2;
  const std::wstring name = Name(d);
  const std::vector<Case> cases = {
      {"listed, present and matching: no transfer", [](Harness& h) { h.AlreadyHere(2); }, 0,
       {kCompletedFor + name}, kCompletedBox, true, true, 0},
      {"listed but deleted: removed, saved, fetched again",
       [](Harness& h) { h.list[DownloadFileKey(HardwareId(2))] = SavedPath(2); }, 1,
       {kStarting + name, kCompletedFor + name}, kCompletedBox, true, true, 2},
      {"listed but changed on disk: fetched again", [](Harness& h) {
         h.AlreadyHere(2);
         h.rec.files[SavedPath(2)] = "damaged";
       },
       1, {kStarting + name, kCompletedFor + name}, kCompletedBox, true, true, 1},
      {"no bar in the answer", [](Harness& h) { h.rec.answers[L"key-2"] = Url(2); }, 0, {kSkipped}, kUnableBox,
       false, false, 0},
      {"answer begins with the bar", [](Harness& h) { h.rec.answers[L"key-2"] = L"|" + Md5Of(Package(2)); }, 0,
       {kSkipped}, kUnableBox, false, false, 0},
      {"an address of another scheme is never fetched",
       [](Harness& h) { h.rec.answers[L"key-2"] = L"file:///C:/Windows/evil.zip|" + Md5Of(Package(2)); }, 0,
       {kSkipped}, kUnableBox, false, false, 0},
      {"no service key: skipped, not completed",
       [](Harness& h) { (*h.scan.m_Devices[0].Next)[2].ServerHardwareId.clear(); }, 0, {kSkipped}, kUnableBox,
       false, false, 0},
      {"service unreachable", [](Harness& h) { h.rec.answers.clear(); }, 0, {kCheckConnection}, kConnectionBox,
       false, false, 0},
      {"MD5 wrong, then right: downloaded", [](Harness& h) {
         h.rec.deliveries[Url(2)] = {Delivery{"not the package"}};
       },
       2, {kStarting + name, kCompletedFor + name}, kCompletedBox, true, true, 1},
      {"MD5 wrong twice: internet problem, file deleted", [](Harness& h) {
         h.rec.deliveries[Url(2)] = {Delivery{"not the package"}, Delivery{"still not"}};
       },
       2, {kStarting + name, kInternetProblem + name}, kConnectionBox, false, false, 0},
      // An empty MD5 text would equal the empty checksum of a missing file.
      {"empty MD5 in the answer never passes", [](Harness& h) { h.rec.answers[L"key-2"] = Url(2) + L"|"; }, 2,
       {kStarting + name, kInternetProblem + name}, kConnectionBox, false, false, 0},
      {"connection breaks twice", [](Harness& h) {
         Delivery broken{Package(2)};
         broken.ok = false;
         h.rec.deliveries[Url(2)] = {broken, broken};
       },
       2, {kStarting + name, kInternetProblem + name}, kConnectionBox, false, false, 0},
      {"target file cannot be opened", [](Harness& h) {
         Delivery closed{Package(2)};
         closed.opensFile = false;
         h.rec.deliveries[Url(2)] = {closed, closed};
       },
       2, {kStarting + name, kUnableToSave + name, kSelectAnother}, kUnableBox, false, false, 0},
      // Not even "http://" in front makes it an address: a failure, not a success.
      {"an address that does not read", [](Harness& h) {
         h.rec.answers[L"key-2"] = L"http://bad host/p.zip|" + Md5Of(Package(2));
       },
       0, {kStarting + name, kUnableToSave + name, kSelectAnother}, kUnableBox, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h({d});
    c.setup(h);
    const DownloadOutcome outcome = h.One(d, 1);
    EXPECT_EQ(h.rec.CountPrefix(L"transfer:"), c.transfers);
    std::vector<std::wstring> lines;
    for (const auto& e : h.rec.log) {
      if (e.rfind(L"log:", 0) == 0) lines.push_back(e.substr(4));
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), kWaitDownloading);
    EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 1, lines.end()), c.lines);
    EXPECT_EQ(h.Boxes(), std::vector<std::wstring>{c.box});
    EXPECT_EQ(h.list.count(DownloadFileKey(HardwareId(d))) != 0, c.listed);
    EXPECT_EQ(h.rec.files.count(SavedPath(d)) != 0, c.fileKept);
    EXPECT_EQ(h.rec.Count(L"save"), c.saves);
    // The row becomes Install exactly when the package is here.
    EXPECT_EQ(h.scan.m_Rows[1].kind, c.listed ? kRowInstall : kRowDownload);
    ASSERT_EQ(outcome.devices.size(), 1u);
    EXPECT_EQ(outcome.devices[0].ok, c.listed);
    EXPECT_EQ(h.rec.log.back(), L"end");
  }
}

TEST(DownloadQueue, StopDuringATransferDeletesThePartialFile) {
  Harness h({1, 2});
  Delivery stopped{Package(1)};
  stopped.stopMidway = true;
  h.rec.deliveries[Url(1)] = {stopped};
  const DownloadOutcome outcome = h.All();
  const std::string name = "Device 1";
  const std::vector<std::string> events = h.rec.Events();
  const std::vector<std::string> stop = {"stop:off", "log:Please wait download will stop in a moment...",
                                         "label:Download Stoppped", "abort", "status:102"};
  EXPECT_NE(std::search(events.begin(), events.end(), stop.begin(), stop.end()), events.end());
  const std::vector<std::string> tail = {"box:" + Narrow(kStoppedBox), "log:Download stopped for driver - " + name,
                                         "delete:" + Narrow(SavedPath(1)),
                                         "log:Deleting partial download file for driver - " + name, "buttons:idle",
                                         "end"};
  ASSERT_GE(events.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(events.end() - static_cast<long>(tail.size()), events.end()), tail);
  // Stopped: one transfer, no second try, nothing of the second device.
  EXPECT_EQ(h.rec.CountPrefix(L"transfer:"), 1);
  EXPECT_FALSE(h.rec.Has(L"lookup:key-2"));
  EXPECT_EQ(h.rec.files.count(SavedPath(1)), 0u);
  EXPECT_TRUE(h.list.empty());
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.installConfirmation);
  EXPECT_FALSE(h.queue.m_goInstall);
  EXPECT_FALSE(h.host.Stop().Pressed());
  EXPECT_EQ(h.queue.m_urlDone.count(Url(1)), 0u);
}

TEST(DownloadQueue, DownloadAllFetchesEachRowAndHandsOverToTheInstall) {
  Harness h({1, 2, 3});
  // Devices 2 and 3 are offered the same package: one transfer serves both.
  h.rec.answers[L"key-3"] = Answer(2);
  const DownloadOutcome outcome = h.All();
  EXPECT_EQ(h.rec.CountPrefix(L"transfer:"), 2);
  EXPECT_EQ(h.rec.Count(L"transfer:" + Url(2)), 1);
  EXPECT_EQ(h.list.at(DownloadFileKey(HardwareId(3))), SavedPath(2));
  EXPECT_EQ(h.list.at(DownloadFileKey(HardwareId(2))), SavedPath(2));
  EXPECT_EQ(h.rec.saved, h.list);
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(h.scan.m_Rows[static_cast<std::size_t>(row)].kind, kRowInstall);
  EXPECT_EQ(h.queue.m_okCount, 3);
  EXPECT_TRUE(h.queue.m_goInstall);
  EXPECT_TRUE(outcome.installConfirmation);
  EXPECT_TRUE(h.Boxes().empty());
  // The overall bar climbs device by device: a third, two thirds, all.
  EXPECT_NE(std::find(h.rec.bar.begin(), h.rec.bar.end(), 33), h.rec.bar.end());
  EXPECT_NE(std::find(h.rec.bar.begin(), h.rec.bar.end(), 66), h.rec.bar.end());
  EXPECT_EQ(h.rec.bar.back(), 100);
  // About a second between devices, the window kept alive meanwhile.
  EXPECT_GE(h.rec.slept, 3u * 1024u);
  // The operation goes on into the install confirmation until that ends it.
  EXPECT_EQ(h.rec.log.back(), L"page:confirm");
  EXPECT_FALSE(h.rec.Has(L"end"));
  EXPECT_TRUE(h.host.HasKeptOperation());
  h.host.EndKeptOperation();
  EXPECT_EQ(h.rec.log.back(), L"end");
}

TEST(DownloadQueue, DownloadAllWithNothingLeftToFetch) {
  {
    SCOPED_TRACE("every package installed already");
    Harness h({1, 2}, 2);
    const DownloadOutcome outcome = h.All();
    EXPECT_EQ(h.Boxes(), std::vector<std::wstring>{kCongrats});
    EXPECT_TRUE(h.rec.Has(L"page:close"));
    EXPECT_FALSE(outcome.installConfirmation);
    EXPECT_EQ(h.rec.log.back(), L"end");
  }
  {
    SCOPED_TRACE("every package downloaded already");
    Harness h({1, 2}, kRowInstall);
    const DownloadOutcome outcome = h.All();
    EXPECT_TRUE(h.Boxes().empty());
    EXPECT_EQ(h.rec.CountPrefix(L"lookup:"), 0);
    EXPECT_TRUE(outcome.installConfirmation);
    EXPECT_EQ(h.rec.log.back(), L"page:confirm");
    h.host.EndKeptOperation();
  }
}

TEST(DownloadQueue, DownloadAllWithoutAnyPackageEndsTheOperation) {
  Harness h({1, 2});
  h.rec.answers.clear();
  const DownloadOutcome outcome = h.All();
  EXPECT_EQ(h.rec.Count(L"log:" + kCheckConnection), 2);
  EXPECT_FALSE(outcome.installConfirmation);
  EXPECT_FALSE(h.queue.m_goInstall);
  EXPECT_EQ(h.rec.log.back(), L"end");
  ASSERT_EQ(outcome.devices.size(), 2u);
  EXPECT_EQ(outcome.devices[0].code, -2);
  EXPECT_EQ(outcome.devices[1].code, -2);
  EXPECT_EQ(h.scan.m_Rows[1].kind, kRowDownload);
}

TEST(DownloadQueue, DownloadFolderIsMadeWhenMissing) {
  Harness h({1});
  h.rec.folderExists = false;
  h.One(1, 1);
  EXPECT_EQ(h.rec.Count(L"mkdir:" + kFolder), 1);
  EXPECT_EQ(h.rec.files.count(SavedPath(1)), 1u);
}

TEST(DownloadQueue, DeviceMinusOneDownloadsNothing) {
  Harness h({1});
  h.One(-1, -1);
  EXPECT_EQ(h.rec.Events(),
            (std::vector<std::string>{"begin", "heading:IDS_DOWNLOAD_HEADING1_DESC1",
                                      "log:Error in downloading... Please restart the download process.",
                                      "buttons:idle", "end"}));
}

TEST(DownloadQueue, ProgressOfAnEmptyBodyMovesNothing) {
  Harness h({1});
  h.queue.m_runTotal = h.queue.m_runIndex = 1;
  h.queue.OnProgress(0, true, 0, 0);
  h.queue.OnProgress(10, false, 0, 0);
  EXPECT_TRUE(h.rec.bar.empty());
  EXPECT_TRUE(h.rec.log.empty());
  h.queue.OnProgress(512, true, 3355443, 0);
  EXPECT_EQ(h.rec.log, std::vector<std::wstring>{L"progress:0.50 KB  of 3.20 MB"});
  EXPECT_EQ(h.queue.m_firstProgress, 0);
}

}  // namespace
}  // namespace velkor
