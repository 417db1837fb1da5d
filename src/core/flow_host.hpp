#pragma once
// The flow host: the one way a page starts its worker. A flow (the scan run,
// the download queue, the install sequence, the backup run, the restore) is a
// class without Windows code that talks to the window through its view and to
// the system through its parts; the host runs it:
//
//   - on a worker thread of its own (or, for the console, on the calling thread),
//   - inside the operation bracket (BeginOperation/EndOperation), taken after
//     the stop request was cleared and ended on every way out,
//   - with the rule that an unexpected exception ends the worker quietly,
//   - with the stop request: the page's Stop marks it at once and a short
//     thread passes it on to the engine and waits for the acknowledgement.
//
// The view's calls reach the window through the UI dispatcher (ui_dispatcher.hpp),
// never through the host.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "core/operation_bracket.hpp"
#include "core/stop_request.hpp"

namespace velkor {

// How the host starts threads: normal priority, default stack, running at
// once. The Win32 implementation is in worker_thread.hpp; tests run the body
// on the calling thread.
class WorkerThreads {
 public:
  virtual ~WorkerThreads() = default;
  // False when no thread could be started (the body then never runs).
  virtual bool Start(std::function<void()> body) = 0;
};

// How a flow's work ended.
enum class FlowEnd {
  Done,           // the bracket ends with the work
  KeepOperation,  // the operation goes on: a successor continues it, or the
                  // process is being replaced and navigation must stay off
};

// Which bracket a worker runs in.
enum class Bracket {
  New,           // a new operation: stop request cleared, BeginOperation
  ContinueKept,  // the operation a previous worker kept (a new one if none was kept)
};

class FlowHost {
 public:
  FlowHost(OperationHost& bracket, EngineStopTarget* engine, WorkerThreads& threads)
      : bracket_(bracket), stop_(engine), threads_(threads) {}
  FlowHost(const FlowHost&) = delete;
  FlowHost& operator=(const FlowHost&) = delete;

  StopRequest& Stop() { return stop_; }
  const StopRequest& Stop() const { return stop_; }

  // Starts the work as the page's worker. False when no thread could be
  // started; nothing was disabled then.
  bool StartWorker(std::function<FlowEnd()> work, Bracket bracket = Bracket::New);
  // The same on the calling thread (the console front end). False when the
  // work ended by an unexpected exception.
  bool RunHere(const std::function<FlowEnd()>& work, Bracket bracket = Bracket::New);

  // The page's Stop button. The press is marked at once; then, on a short
  // thread of its own (the handshake may wait up to two minutes; the page must
  // not), the request is passed to the engine with engineKind (18 scan, 19
  // backup; 0: no engine handshake) and `answered` runs there with whether the
  // engine acknowledged.
  void RequestStop(std::int32_t engineKind, std::function<void(bool acknowledged)> answered = {});

  // Ends the operation that a worker kept (KeepOperation), if any.
  void EndKeptOperation();
  bool HasKeptOperation();

 private:
  bool Run(const std::function<FlowEnd()>& work, Bracket bracket) noexcept;
  std::optional<OperationScope> TakeKept();

  OperationHost& bracket_;
  StopRequest stop_;
  WorkerThreads& threads_;
  std::mutex keptLock_;
  std::optional<OperationScope> kept_;
};

}  // namespace velkor
