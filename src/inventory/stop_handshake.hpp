#pragma once
// The stop handshake between a page and its worker: the page writes the kind of
// stop it wants into the engine state and waits on the abort event; the worker
// polls the state between units of work and acknowledges.

#include <cstdint>

namespace velkor {

// Values of the engine state word.
inline constexpr std::int32_t kEngineRunning = 0;
inline constexpr std::int32_t kStopScan = 18;
inline constexpr std::int32_t kStopBackup = 19;
inline constexpr std::int32_t kStopAcknowledged = 35;

// Result codes of engine operations.
inline constexpr std::int32_t kResultCompleted = 32;
inline constexpr std::int32_t kResultScanStopped = 18;
inline constexpr std::int32_t kResultBackupStopped = 19;
inline constexpr std::int32_t kResultFailed = 33;
inline constexpr std::int32_t kResultMissingInput = 34;

// What the requesting side sees of the handshake (the process-wide engine
// object; the flow host's stop request uses it).
class EngineStopTarget {
 public:
  // Writes the stop kind into the engine state and waits for the worker's
  // acknowledgement; true when it came in time.
  virtual bool RequestAbort(std::int32_t kind) = 0;
  // No stop pending: the engine state back to running. A stop asked for after
  // an earlier run had ended stays in the state until its requester gives up;
  // a new run must not take it for its own.
  virtual void ClearStop() = 0;

 protected:
  ~EngineStopTarget() = default;
};

// What a worker sees of the handshake.
class StopHandshake {
 public:
  virtual ~StopHandshake() = default;
  virtual std::int32_t ReadEngineState() const = 0;
  // Signals the abort event, then sets the state to acknowledged. False when
  // the event could not be signalled (the requester then times out).
  virtual bool AcknowledgeStop() = 0;
};

}  // namespace velkor
