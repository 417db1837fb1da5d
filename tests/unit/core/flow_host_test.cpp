#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/flow_host.hpp"

namespace velkor {
namespace {

// The bracket, the engine and the threads of a host, in one log.
class Recorder : public OperationHost, public EngineStopTarget, public WorkerThreads {
 public:
  void BeginOperation() override { log.push_back("begin"); }
  void EndOperation() override { log.push_back("end"); }
  bool RequestAbort(std::int32_t kind) override {
    log.push_back("abort:" + std::to_string(kind));
    return acknowledge;
  }
  void ClearStop() override { log.push_back("clear"); }
  // Threads run where they are started, or not at all.
  bool Start(std::function<void()> body) override {
    if (!threadsWork) return false;
    log.push_back("thread");
    body();
    return true;
  }

  std::vector<std::string> log;
  bool acknowledge = true;
  bool threadsWork = true;
};

using Log = std::vector<std::string>;

TEST(FlowHost, EveryWorkerRunsInsideTheBracketAfterTheStopWasCleared) {
  Recorder rec;
  FlowHost host(rec, &rec, rec);
  host.Stop().Press();
  bool pressedInside = true;
  EXPECT_TRUE(host.StartWorker([&] {
    rec.log.push_back("work");
    pressedInside = host.Stop().Pressed();
    return FlowEnd::Done;
  }));
  EXPECT_EQ(rec.log, (Log{"thread", "clear", "begin", "work", "end"}));
  // A Stop pressed for an earlier run never reaches this one.
  EXPECT_FALSE(pressedInside);
}

TEST(FlowHost, AnUnexpectedExceptionEndsTheWorkerQuietlyAfterTheBracket) {
  Recorder rec;
  FlowHost host(rec, &rec, rec);
  EXPECT_FALSE(host.RunHere([&]() -> FlowEnd {
    rec.log.push_back("work");
    throw std::runtime_error("unexpected");
  }));
  EXPECT_FALSE(host.RunHere([]() -> FlowEnd { throw 42; }));
  EXPECT_EQ(rec.log, (Log{"clear", "begin", "work", "end", "clear", "begin", "end"}));
}

TEST(FlowHost, AKeptOperationStaysOnUntilItsSuccessorEndsIt) {
  Recorder rec;
  FlowHost host(rec, &rec, rec);
  EXPECT_TRUE(host.RunHere([] { return FlowEnd::KeepOperation; }));
  EXPECT_TRUE(host.HasKeptOperation());
  // The successor continues the same operation: no second BeginOperation.
  EXPECT_TRUE(host.RunHere(
      [&] {
        rec.log.push_back("successor");
        return FlowEnd::Done;
      },
      Bracket::ContinueKept));
  EXPECT_FALSE(host.HasKeptOperation());
  EXPECT_EQ(rec.log, (Log{"clear", "begin", "successor", "end"}));

  // Nobody continues it: the UI ends it.
  rec.log.clear();
  host.RunHere([] { return FlowEnd::KeepOperation; });
  host.EndKeptOperation();
  host.EndKeptOperation();
  EXPECT_EQ(rec.log, (Log{"clear", "begin", "end"}));
  // With nothing kept, a successor takes a bracket of its own.
  rec.log.clear();
  host.RunHere([] { return FlowEnd::Done; }, Bracket::ContinueKept);
  EXPECT_EQ(rec.log, (Log{"clear", "begin", "end"}));
}

TEST(FlowHost, WithoutAThreadNothingIsDisabled) {
  Recorder rec;
  rec.threadsWork = false;
  FlowHost host(rec, &rec, rec);
  EXPECT_FALSE(host.StartWorker([] { return FlowEnd::Done; }));
  EXPECT_TRUE(rec.log.empty());
}

TEST(FlowHost, StopMarksThePressAtOnceAndPassesItToTheEngineOnAThreadOfItsOwn) {
  struct Case {
    const char* name;
    std::int32_t kind;
    bool acknowledge;
    Log log;
    std::vector<bool> answers;
  };
  const Case cases[] = {
      {"scan, acknowledged", 18, true, {"thread", "abort:18"}, {true}},
      {"backup, timed out", 19, false, {"thread", "abort:19"}, {false}},
      // A flow without an engine handshake (a download): only the press.
      {"no engine", 0, true, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder rec;
    rec.acknowledge = c.acknowledge;
    FlowHost host(rec, &rec, rec);
    std::vector<bool> answers;
    if (c.kind != 0) {
      host.RequestStop(c.kind, [&](bool acknowledged) { answers.push_back(acknowledged); });
    } else {
      host.RequestStop(0);
    }
    EXPECT_TRUE(host.Stop().Pressed());
    EXPECT_EQ(host.Stop().PassedOn(), c.kind != 0);
    EXPECT_EQ(rec.log, c.log);
    EXPECT_EQ(answers, c.answers);
    host.Stop().Forget();
    EXPECT_FALSE(host.Stop().Pressed());
  }
}

TEST(OperationScope, EndsOnceOnEveryWayOutAndMovesWithTheOperation) {
  Recorder rec;
  auto early = [&](bool stop) {
    OperationScope scope(rec);
    if (stop) return;
    rec.log.push_back("work");
  };
  early(true);
  early(false);
  {
    OperationScope first(rec);
    OperationScope second(std::move(first));
    EXPECT_FALSE(first.Active());
    second.End();
    second.End();
  }
  {
    OperationScope replaced(rec);
    replaced.Abandon();
  }
  EXPECT_EQ(rec.log, (Log{"begin", "end", "begin", "work", "end", "begin", "end", "begin"}));
}

}  // namespace
}  // namespace velkor
