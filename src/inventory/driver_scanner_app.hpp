#pragma once
// The process-wide engine object: the stop handshake between the pages and
// their workers, and the WOW64 file-system redirection switch.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "inventory/stop_handshake.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class CDriverScannerApp final : public StopHandshake, public EngineStopTarget {
 public:
  static constexpr DWORD kAbortWaitMs = 120000;

  // abortWaitMs: how long RequestAbort waits for the worker (tests shorten it).
  explicit CDriverScannerApp(DWORD abortWaitMs = kAbortWaitMs);
  CDriverScannerApp(const CDriverScannerApp&) = delete;
  CDriverScannerApp& operator=(const CDriverScannerApp&) = delete;

  // 0 running, 18 stop the scan, 19 stop the backup, 35 acknowledged or given up.
  std::atomic<std::int32_t> EngineState{kEngineRunning};

  // Asks the running worker to stop (kind 18 or 19) and waits for it to
  // acknowledge. True when it did in time; on time-out the state becomes 35.
  // Any other kind changes nothing and returns false.
  bool RequestAbort(std::int32_t kind) override;
  void ClearStop() override { EngineState = kEngineRunning; }

  std::int32_t ReadEngineState() const override { return EngineState.load(); }
  bool AcknowledgeStop() override;

  // Whether this is a 32-bit process on 64-bit Windows.
  bool m_bWow64 = false;

  // Switch file-system redirection off and back on for the calling thread.
  // Outside WOW64 there is nothing to switch: both do nothing and return false.
  // Prefer ScopedRedirectionOff, which reverts on every way out.
  bool DisableRedirection(void** oldValue) const;
  bool RevertRedirection(void* oldValue) const;

 private:
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  using RevertFn = BOOL(WINAPI*)(PVOID);

  UniqueKernelHandle abortEvent_;  // manual reset, created unsignalled
  DWORD abortWaitMs_;
  DisableFn m_pfnDisableRedirection = nullptr;
  RevertFn m_pfnRevertRedirection = nullptr;
};

// The one instance of the process, created on first use.
CDriverScannerApp& TheDriverScannerApp();

// File-system redirection off for the calling thread while it lives.
class ScopedRedirectionOff {
 public:
  explicit ScopedRedirectionOff(const CDriverScannerApp& app)
      : app_(app), active_(app.DisableRedirection(&oldValue_)) {}
  ~ScopedRedirectionOff() {
    if (active_) app_.RevertRedirection(oldValue_);
  }
  ScopedRedirectionOff(const ScopedRedirectionOff&) = delete;
  ScopedRedirectionOff& operator=(const ScopedRedirectionOff&) = delete;

 private:
  const CDriverScannerApp& app_;
  void* oldValue_ = nullptr;
  bool active_;
};

}  // namespace velkor
