#pragma once
// The stop request of the running worker: the page's "the user pressed Stop"
// flag, the "passed on to the engine" flag, and the engine's handshake that
// hands the request to the engine and waits for its acknowledgement. At most
// one worker runs at a time, so there is one stop request per application.
//
// Threads: Press comes from the UI thread, PassToEngine from the short stop
// thread the flow host starts, the rest from the worker. The flags are atomics
// read and written whole.

#include <atomic>
#include <cstdint>

#include "inventory/stop_handshake.hpp"

namespace velkor {

class StopRequest {
 public:
  explicit StopRequest(EngineStopTarget* engine) : engine_(engine) {}
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // A run begins: nothing pressed, nothing passed on, no stale engine stop.
  void BeginRun();

  // The page's Stop button.
  void Press() { pressed_ = true; }
  bool Pressed() const { return pressed_; }
  // The run has dealt with the press (or ends): the flag is cleared.
  void Forget() { pressed_ = false; }

  // The stop thread: marks the request as passed on and hands it to the engine
  // (kind 18 scan, 19 backup). True when the engine acknowledged in time;
  // false also when there is no engine to pass it to.
  bool PassToEngine(std::int32_t kind);
  bool PassedOn() const { return passedOn_; }
  void ClearPassedOn() { passedOn_ = false; }

 private:
  EngineStopTarget* engine_;
  std::atomic<bool> pressed_{false};
  std::atomic<bool> passedOn_{false};
};

}  // namespace velkor
