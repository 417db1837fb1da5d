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
