#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/flow_host.hpp"
#include "lookup/scan_run.hpp"

namespace velkor {
namespace {

const std::wstring kInProgress = L"Please wait while the scan is in progress...";
const std::wstring kAdminOld =
    L"It is recommended to restart Velkor in administrator login. It will not provide complete functionality in "
    L"standard user account.";
const std::wstring kAdminQuestion =
    L"It is recommended to restart Velkor in administrator mode so that it can scan your system to get out of date "
    L"drivers. ";
const std::wstring kCollecting = L"Please wait as collecting the driver information may take sometime...";
const std::wstring kSending =
    L"Please wait while the driver information is sent to the server for getting the updates...";
const std::wstring kCheckConnection = L"Please check your internet connection and re-scan to get updated results.";
const std::wstring kFileMissing = L"Velkor has a file missing. Please re-install to fix the issue.";

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::wstring DeviceId(int number) { return L"pci\\ven_1000&dev_" + std::to_wstring(1000 + number); }

// An answer offering a package for each of the given device numbers.
std::wstring AnswerFor(const std::vector<int>& numbers) {
  std::wstring answer = L"<NewDataSet>\r\n";
  for (const int n : numbers) {
    answer += L"<Table><driverid>" + std::to_wstring(n) + L"</driverid><hardwareidentifier>" + DeviceId(n) +
              L"</hardwareidentifier><hardwareid>SRV-" + std::to_wstring(n) +
              L"</hardwareid><version>2.0</version><signer>Vendor</signer></Table>\r\n";
  }
  return answer + L"</NewDataSet>";
}

LocalTime At(int day, int hour, int minute, int second, int ms = 0) {
  LocalTime t;
  t.year = 2026;
  t.month = 12;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.milliseconds = ms;
  t.valid = true;
  return t;
}

// What the machine, the service and the registry do in one scenario.
struct Machine {
  bool admin = true;
  int major = 6;
  bool answerYes = false;
  bool relaunchOk = false;
  int devices = 5;
  std::int32_t inventoryResult = 32;
  int stopAfterDevices = -1;  // the user presses Stop after this many devices
  bool networkLoaded = true;
  std::deque<std::pair<bool, std::wstring>> lookups;  // one per exchange call
  std::map<std::wstring, std::wstring> stored;         // values under the product key
  bool throwInLookup = false;
};

// One log for the view, the parts and the flow host's bracket, so that the
// order across them shows. The host's threads run where they are started.
class Recorder : public ScanView, public ScanParts, public OperationHost, public EngineStopTarget,
                 public WorkerThreads {
 public:
  explicit Recorder(Machine machine) : m(std::move(machine)) {}

  void SetStatusText(const std::wstring& text) override {
    Log(L"status:" + text);
    if (text == kSending && stopBeforeExchange) host->Stop().Press();
  }
  void SetCurrentDeviceText(const std::wstring& text) override { Log(L"device:" + text); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void StartAnimation() override { Log(L"animation:start"); }
  void StopAnimation() override { Log(L"animation:stop"); }
  void SetScanPhase(int phase) override { Log(L"phase:" + std::to_wstring(phase)); }
  void SetStopEnabled(bool enabled) override { Log(enabled ? L"stop:on" : L"stop:off"); }
  void FocusStopButton() override { Log(L"stop:focus"); }
  void ShowMessage(const std::wstring& text, bool ownedByPage) override {
    Log((ownedByPage ? L"message(page):" : L"message:") + text);
  }
  bool AskYesNo(const std::wstring& text) override {
    Log(L"ask:" + text);
    return m.answerYes;
  }
  void PopulateResults() override { Log(L"populate"); }
  void ShowResultPage() override { Log(L"page:result"); }
  void ShowHomePage() override { Log(L"page:home"); }
  void ShowBackupPage() override { Log(L"page:backup"); }

  void BeginOperation() override { Log(L"begin"); }
  void EndOperation() override { Log(L"end"); }
  bool RequestAbort(std::int32_t) override { return true; }
  void ClearStop() override {}
  bool Start(std::function<void()> body) override {
    body();
    return true;
  }

  LocalTime Now() override { return clock.empty() ? LocalTime{} : Pop(clock); }
  bool IsFullAdministrator() override { return m.admin; }
  int WindowsMajorVersion() override { return m.major; }
  bool RelaunchElevated() override {
    Log(L"relaunch");
    return m.relaunchOk;
  }
  void EndProcess() override { Log(L"exit"); }
  void RefillClassificationSets(ClassificationSets& sets) override {
    Log(L"refill");
    sets.Refill();
  }
  std::int32_t RunDeviceScan(const ProgressCallback& callback) override {
    Log(L"inventory");
    for (int i = 0; i < m.devices; ++i) {
      if (i == m.stopAfterDevices) {
        // The Stop button and its thread; the listing sees the request next.
        ScanRun* scan = run;
        host->RequestStop(kStopScan, [scan](bool acknowledged) { scan->OnStopAnswered(acknowledged); });
        return 18;
      }
      DeviceRecord record;
      record.Name = L"Device " + std::to_wstring(i);
      record.ClassDescription = L"Class";
      record.HardwareId = DeviceId(i);
      record.MatchingIds = DeviceId(i);
      callback(&record, (i + 1) * 100 / m.devices);
    }
    return m.inventoryResult;
  }
  std::int32_t OsVersionCode() override { return 4; }
  bool NetworkLoaded() override { return m.networkLoaded; }
  bool ScanLookupWithFallback(const std::wstring& request, std::wstring& answer) override {
    Log(L"lookup");
    requests.push_back(request);
    if (m.throwInLookup) throw std::runtime_error("component failed");
    if (m.lookups.empty()) return false;
    const auto [ok, text] = Pop(m.lookups);
    answer = text;
    return ok;
  }
  void SleepMilliseconds(unsigned milliseconds) override { Log(L"sleep:" + std::to_wstring(milliseconds)); }
  void PumpMessages() override { Log(L"pump"); }
  std::wstring ReadProductValue(const wchar_t* name) override {
    const auto it = m.stored.find(name);
    return it == m.stored.end() ? std::wstring() : it->second;
  }
  void WriteProductValue(const wchar_t* name, const std::wstring& text) override {
    Log(std::wstring(L"write:") + name + L"=" + text);
    m.stored[name] = text;
  }

  // The log without the pumping and pausing of the retry (checked on its own).
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const auto& e : log) {
      if (e != L"pump" && e.rfind(L"sleep:", 0) != 0) out.push_back(Narrow(e));
    }
    return out;
  }
  int Count(const std::wstring& event) const {
    int n = 0;
    for (const auto& e : log) n += e == event ? 1 : 0;
    return n;
  }
  bool Has(const std::wstring& event) const { return Count(event) > 0; }

  Machine m;
  ScanRun* run = nullptr;
  FlowHost* host = nullptr;
  bool stopBeforeExchange = false;
  std::deque<LocalTime> clock{At(10, 23, 59, 58, 400), At(11, 0, 0, 1, 600)};
  std::vector<std::wstring> log;
  std::vector<int> progress;
  std::vector<std::wstring> requests;

 private:
  void Log(std::wstring e) { log.push_back(std::move(e)); }
  template <typename T>
  static T Pop(std::deque<T>& queue) {
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
  }
};

// The application state a run fills, with the recorder wired to a run that
// the flow host runs. The result starts with what an earlier scan left.
struct Harness {
  explicit Harness(Machine machine, bool forBackup = false) : rec(std::move(machine)) {
    rec.run = &run;
    rec.host = &host;
    run.m_bScanForBackup = forBackup;
    result.m_nDeviceCount = 99;
    result.m_nUpdateCount = 99;
    result.m_bScanFinished = true;
    result.m_UpdateList = {L"stale|entry|7"};
    result.m_strScanStartTime = result.m_strScanDuration = result.m_strScanTotal = result.m_strLastScan = L"old";
    result.m_nHomeOutOfDate = result.m_nHomeUpToDate = result.m_nHomeTotal = -1;
    // A stop of the earlier run was passed on to the engine.
    host.Stop().PassToEngine(kStopScan);
  }
  ScanOutcome Run() {
    ScanOutcome outcome;
    outcome.threw = !host.RunHere([&] { return run.Run(outcome); });
    return outcome;
  }

  Recorder rec;
  ScanResult result;
  FlowHost host{rec, &rec, rec};
  ScanRun run{rec, rec, result, host.Stop()};
  // Short names for what the tests read.
  const RecordTable& devices = result.m_Devices;
  const std::int32_t& deviceCount = result.m_nDeviceCount;
  const std::int32_t& updateCount = result.m_nUpdateCount;
  const std::vector<std::wstring>& updateList = result.m_UpdateList;
  const CMarkup& document = result.m_XmlDocument;
  const std::wstring& scanStartTime = result.m_strScanStartTime;
  const std::wstring& scanDuration = result.m_strScanDuration;
  const std::wstring& scanTotal = result.m_strScanTotal;
  const std::wstring& lastScan = result.m_strLastScan;
  const std::int32_t& homeOutOfDate = result.m_nHomeOutOfDate;
  const std::int32_t& homeUpToDate = result.m_nHomeUpToDate;
  const std::int32_t& homeTotal = result.m_nHomeTotal;
  bool AbortRequested() const { return host.Stop().PassedOn(); }
  bool StopRequested() const { return host.Stop().Pressed(); }
  bool ScanFinished() const { return result.m_bScanFinished; }
};

const std::map<std::wstring, std::wstring> kEarlierCounts = {
    {L"OutofDate", L"2"}, {L"UpToDate", L"40"}, {L"TotalDrivers", L"42"}, {L"LastScan", L"earlier"}};

std::map<std::wstring, std::wstring> With(std::map<std::wstring, std::wstring> base,
                                          const std::map<std::wstring, std::wstring>& changes) {
  for (const auto& [k, v] : changes) base[k] = v;
  return base;
}

const std::wstring kLastScanText = L"December 10, 2026 11:59:58 PM ";

// Three updates on 57 devices, step by step: what the user sees and what is stored.
TEST(ScanRun, CompleteRunShowsEveryStepInOrder) {
  Machine machine;
  machine.devices = 57;
  machine.lookups = {{true, AnswerFor({3, 17, 56})}};
  Harness h(machine);
  const ScanOutcome outcome = h.Run();

  std::vector<std::string> expected = {"begin",       "status:",  "device:",  "status:" + Narrow(kInProgress),
                                       "animation:start", "status:" + Narrow(kInProgress), "device:", "refill",
                                       "inventory"};
  for (int i = 0; i < 57; ++i) expected.push_back("device:Device " + std::to_string(i));
  const std::vector<std::string> tail = {
      "device:Scan completed", "device:", "phase:2", "status:" + Narrow(kCollecting), "status:" + Narrow(kSending),
      "stop:focus", "stop:off", "lookup", "write:LastScan=" + Narrow(kLastScanText), "animation:stop",
      "write:OutofDate=3", "write:UpToDate=54", "write:TotalDrivers=57", "populate", "page:result", "end"};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(h.rec.Events(), expected);

  EXPECT_EQ(outcome.inventoryResult, 32);
  EXPECT_TRUE(outcome.requestSent);
  EXPECT_TRUE(outcome.countsStored);
  EXPECT_FALSE(outcome.connectionFailed || outcome.networkMissing || outcome.threw || outcome.stopped);
  EXPECT_EQ(h.deviceCount, 57);
  EXPECT_EQ(h.updateCount, 3);
  EXPECT_EQ(h.updateList, (std::vector<std::wstring>{L"Class|Device 17|17", L"Class|Device 3|3",
                                                     L"Class|Device 56|56"}));
  ASSERT_NE(h.devices[0].Next, nullptr);
  EXPECT_EQ((*h.devices[0].Next)[17].ServerHardwareId, L"SRV-17");
  EXPECT_EQ(h.homeOutOfDate, 3);
  EXPECT_EQ(h.homeUpToDate, 54);
  EXPECT_EQ(h.homeTotal, 57);
  // Started a moment before midnight, ended just after: 3.2 s rounds to 3.
  EXPECT_EQ(h.scanStartTime, L"11:59:58 PM ");
  EXPECT_EQ(h.lastScan, kLastScanText);
  EXPECT_EQ(h.scanDuration, L"00:00:03");
  EXPECT_EQ(h.scanTotal, L"57");
  EXPECT_EQ(h.rec.progress.front(), 0);
  EXPECT_EQ(h.rec.progress.back(), 100);
  // The request names every device and the OS version code.
  ASSERT_EQ(h.rec.requests.size(), 1u);
  EXPECT_NE(h.rec.requests[0].find(L"dev_1056"), std::wstring::npos);
  EXPECT_FALSE(h.AbortRequested());
  EXPECT_TRUE(h.ScanFinished());
  EXPECT_FALSE(h.StopRequested());
}

// The scenarios of the rule for the stored counts and of the page handed over to.
TEST(ScanRun, StoredValuesMessagesAndPageFollowHowTheRunWent) {
  struct Case {
    const char* name;
    Machine machine;
    bool stopBeforeExchange;
    std::vector<std::wstring> messages;  // message boxes and questions, in order
    int lookups;
    std::vector<std::wstring> pages;     // page hand-overs, in order
    std::map<std::wstring, std::wstring> stored;
  };
  auto machine = [](auto change) {
    Machine m;
    m.stored = kEarlierCounts;
    m.lookups = {{true, AnswerFor({})}};
    change(m);
    return m;
  };
  const std::vector<Case> cases = {
      {"no updates", machine([](Machine&) {}), false, {}, 1, {L"page:home"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}, {L"OutofDate", L"0"}, {L"UpToDate", L"5"},
                             {L"TotalDrivers", L"5"}})},
      {"stop while listing", machine([](Machine& m) { m.stopAfterDevices = 3; }), false, {}, 0, {L"page:home"},
       kEarlierCounts},
      {"stop while listing, first scan ever", machine([](Machine& m) {
         m.stopAfterDevices = 3;
         m.stored = {{L"TotalDrivers", L"0"}};
       }),
       false, {}, 0, {L"page:home"}, {{L"OutofDate", L"0"}, {L"UpToDate", L"3"}, {L"TotalDrivers", L"3"}}},
      // The home page twice: once for the stop, once because nothing was found.
      {"stop before the exchange", machine([](Machine&) {}), true, {}, 0, {L"page:home", L"page:home"},
       kEarlierCounts},
      {"service unreachable", machine([](Machine& m) { m.lookups = {{false, L""}, {false, L"<partial"}}; }), false,
       {L"message(page):" + kCheckConnection}, 2, {L"page:home"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}})},
      {"service answers on the retry", machine([](Machine& m) { m.lookups = {{false, L""}, {true, AnswerFor({1})}}; }),
       false, {}, 2, {L"populate", L"page:result"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}, {L"OutofDate", L"1"}, {L"UpToDate", L"4"},
                             {L"TotalDrivers", L"5"}})},
      {"first scan ever, service unreachable", machine([](Machine& m) {
         m.lookups = {};
         m.stored = {};
       }),
       false, {L"message(page):" + kCheckConnection}, 2, {L"page:home"},
       {{L"LastScan", kLastScanText}, {L"OutofDate", L"0"}, {L"UpToDate", L"5"}, {L"TotalDrivers", L"5"}}},
      // Never asked: the earlier counts stay, as when the service is unreachable.
      {"network component missing", machine([](Machine& m) { m.networkLoaded = false; }), false,
       {L"message(page):" + kFileMissing}, 0, {L"page:home"}, kEarlierCounts},
      {"network component missing, first scan ever", machine([](Machine& m) {
         m.networkLoaded = false;
         m.stored = {{L"TotalDrivers", L""}};
       }),
       false, {L"message(page):" + kFileMissing}, 0, {L"page:home"},
       {{L"OutofDate", L"0"}, {L"UpToDate", L"5"}, {L"TotalDrivers", L"5"}}},
      {"inventory failed", machine([](Machine& m) { m.inventoryResult = 33; }), false, {}, 0, {}, kEarlierCounts},
      {"XP without administrator rights", machine([](Machine& m) {
         m.admin = false;
         m.major = 5;
       }),
       false, {L"message:" + kAdminOld}, 1, {L"page:home"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}, {L"OutofDate", L"0"}, {L"UpToDate", L"5"},
                             {L"TotalDrivers", L"5"}})},
      {"Vista, not elevated, answers No", machine([](Machine& m) { m.admin = false; }), false,
       {L"ask:" + kAdminQuestion}, 1, {L"page:home"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}, {L"OutofDate", L"0"}, {L"UpToDate", L"5"},
                             {L"TotalDrivers", L"5"}})},
      {"Vista, answers Yes, the elevated start fails", machine([](Machine& m) {
         m.admin = false;
         m.answerYes = true;
       }),
       false, {L"ask:" + kAdminQuestion}, 1, {L"page:home"},
       With(kEarlierCounts, {{L"LastScan", kLastScanText}, {L"OutofDate", L"0"}, {L"UpToDate", L"5"},
                             {L"TotalDrivers", L"5"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(c.machine);
    h.rec.stopBeforeExchange = c.stopBeforeExchange;
    const ScanOutcome outcome = h.Run();
    std::vector<std::wstring> messages, pages;
    for (const auto& e : h.rec.log) {
      if (e.rfind(L"message", 0) == 0 || e.rfind(L"ask:", 0) == 0) messages.push_back(e);
      if (e.rfind(L"page:", 0) == 0 || e == L"populate") pages.push_back(e);
    }
    EXPECT_EQ(messages, c.messages);
    EXPECT_EQ(h.rec.Count(L"lookup"), c.lookups);
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(h.rec.m.stored, c.stored);
    // Every run ends inside its bracket and forgets the Stop request.
    EXPECT_EQ(h.rec.log.front(), L"begin");
    EXPECT_EQ(h.rec.log.back(), L"end");
    EXPECT_EQ(h.rec.Count(L"end"), 1);
    EXPECT_FALSE(h.StopRequested());
    EXPECT_FALSE(outcome.threw);
    EXPECT_FALSE(h.rec.Has(L"exit"));
  }
}

TEST(ScanRun, StopWhileListingShowsAbortedAndSendsNothing) {
  Machine machine;
  machine.stopAfterDevices = 2;
  Harness h(machine);
  const ScanOutcome outcome = h.Run();
  EXPECT_TRUE(h.rec.Has(L"device:Scan Aborted"));
  EXPECT_FALSE(h.rec.Has(L"status:" + kCollecting));
  EXPECT_TRUE(h.rec.requests.empty());
  EXPECT_EQ(outcome.inventoryResult, 18);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.requestSent);
  // The devices listed before the stop stay in the table.
  EXPECT_EQ(h.deviceCount, 2);
  EXPECT_EQ(h.devices[1].Name, L"Device 1");
  EXPECT_TRUE(h.ScanFinished());
  EXPECT_TRUE(h.AbortRequested());
}

TEST(ScanRun, StopBeforeTheExchangeBuildsButNeverSends) {
  Harness h(Machine{});
  h.rec.stopBeforeExchange = true;
  const ScanOutcome outcome = h.Run();
  EXPECT_TRUE(h.rec.Has(L"status:" + kCollecting));
  EXPECT_FALSE(h.rec.Has(L"lookup"));
  EXPECT_FALSE(h.rec.Has(L"stop:off"));
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.requestSent);
  EXPECT_NE(h.document.DocumentText().find(L"<driverid>4</driverid>"), std::wstring::npos);
}

// Two failed exchanges: ten 1 ms pauses, each followed by pumping, between
// them, and the message exactly once after the second.
TEST(ScanRun, RetryPausesThenAsksOnceMoreAndWarnsOnce) {
  Machine machine;
  machine.lookups = {};
  Harness h(machine);
  const ScanOutcome outcome = h.Run();
  std::vector<std::wstring> exchange;
  bool inside = false;
  for (const auto& e : h.rec.log) {
    if (e == L"stop:off") inside = true;
    if (inside) exchange.push_back(e);
    if (e.rfind(L"message", 0) == 0) break;
  }
  std::vector<std::wstring> expected = {L"stop:off", L"pump", L"lookup", L"pump"};
  for (int i = 0; i < 10; ++i) {
    expected.push_back(L"sleep:1");
    expected.push_back(L"pump");
  }
  expected.push_back(L"lookup");
  expected.push_back(L"message(page):" + kCheckConnection);
  EXPECT_EQ(exchange, expected);
  EXPECT_EQ(h.rec.Count(L"message(page):" + kCheckConnection), 1);
  EXPECT_TRUE(outcome.connectionFailed);
  // Both attempts carry the same request; a failed attempt's partial text is
  // never read as an answer.
  ASSERT_EQ(h.rec.requests.size(), 2u);
  EXPECT_EQ(h.rec.requests[0], h.rec.requests[1]);
  EXPECT_EQ(h.updateCount, 0);
  EXPECT_TRUE(h.updateList.empty());
}

// A new run starts from empty tables: nothing of the previous scan survives
// into one that ends before the answer.
TEST(ScanRun, EachRunStartsFromFreshTables) {
  Machine machine;
  machine.lookups = {{true, AnswerFor({0, 1})}};
  Harness h(machine);
  h.Run();
  ASSERT_EQ(h.updateCount, 2);
  h.rec.m.networkLoaded = false;
  h.rec.m.devices = 3;
  h.rec.clock = {At(10, 12, 0, 0), At(10, 12, 0, 1)};
  h.Run();
  EXPECT_EQ(h.deviceCount, 3);
  EXPECT_EQ(h.updateCount, 0);
  EXPECT_TRUE(h.updateList.empty());
  EXPECT_EQ(h.devices[0].Next, nullptr);
  EXPECT_TRUE(h.devices[3].Name.empty());
}

TEST(ScanRun, ScanForBackupListsOnlyAndReturnsToTheBackupPage) {
  Harness h(Machine{}, /*forBackup=*/true);
  const ScanOutcome outcome = h.Run();
  const std::vector<std::string> events = h.rec.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
            (std::vector<std::string>{"device:Scan completed", "page:backup", "end"}));
  EXPECT_EQ(h.deviceCount, 5);
  EXPECT_TRUE(h.rec.requests.empty());
  EXPECT_TRUE(h.rec.m.stored.empty());
  EXPECT_FALSE(h.run.m_bScanForBackup);
  EXPECT_FALSE(outcome.requestSent);
}

TEST(ScanRun, ElevatedStartReplacesThisProcess) {
  Machine machine;
  machine.admin = false;
  machine.answerYes = true;
  machine.relaunchOk = true;
  Harness h(machine);
  const ScanOutcome outcome = h.Run();
  EXPECT_EQ(h.rec.Events(), (std::vector<std::string>{"begin", "status:", "device:", "status:" + Narrow(kInProgress),
                                                      "animation:start", "ask:" + Narrow(kAdminQuestion), "relaunch",
                                                      "exit"}));
  EXPECT_TRUE(outcome.relaunched);
}

TEST(ScanRun, UnexpectedExceptionEndsTheRunQuietly) {
  Machine machine;
  machine.throwInLookup = true;
  Harness h(machine);
  const ScanOutcome outcome = h.Run();
  EXPECT_TRUE(outcome.threw);
  EXPECT_EQ(h.rec.log.back(), L"end");
  EXPECT_FALSE(h.rec.Has(L"animation:stop"));
  for (const auto& e : h.rec.log) EXPECT_NE(e.rfind(L"message", 0), 0u) << Narrow(e);
}

TEST(ScanRun, NoTimesAreStoredWhenTheClockCannotBeRead) {
  Machine machine;
  machine.lookups = {{true, AnswerFor({})}};
  Harness h(machine);
  h.rec.clock = {At(10, 9, 0, 0), LocalTime{}};
  h.Run();
  EXPECT_EQ(h.rec.m.stored.count(L"LastScan"), 0u);
  EXPECT_EQ(h.lastScan, L"old");
  EXPECT_TRUE(h.scanStartTime.empty());
  EXPECT_TRUE(h.scanDuration.empty());
  EXPECT_TRUE(h.scanTotal.empty());
  EXPECT_EQ(h.rec.m.stored[L"TotalDrivers"], L"5");
}

}  // namespace
}  // namespace velkor
