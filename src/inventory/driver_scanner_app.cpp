#include "inventory/driver_scanner_app.hpp"

namespace velkor {
namespace {

template <typename Fn>
Fn KernelFunction(const char* name) {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

}  // namespace

CDriverScannerApp::CDriverScannerApp(DWORD abortWaitMs)
    : abortEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), abortWaitMs_(abortWaitMs) {
  // Looked up at run time: the oldest systems we run on do not have them.
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  if (auto isWow64 = KernelFunction<IsWow64Fn>("IsWow64Process")) {
    BOOL wow64 = FALSE;
    m_bWow64 = isWow64(::GetCurrentProcess(), &wow64) && wow64;
  }
  m_pfnDisableRedirection = KernelFunction<DisableFn>("Wow64DisableWow64FsRedirection");
  m_pfnRevertRedirection = KernelFunction<RevertFn>("Wow64RevertWow64FsRedirection");
}

bool CDriverScannerApp::RequestAbort(std::int32_t kind) {
  if (kind != kStopScan && kind != kStopBackup) return false;
  EngineState = kind;
  if (!abortEvent_) return false;
  if (::WaitForSingleObject(abortEvent_.get(), abortWaitMs_) == WAIT_OBJECT_0) {
    ::ResetEvent(abortEvent_.get());
    return true;
  }
  EngineState = kStopAcknowledged;
  return false;
}

bool CDriverScannerApp::AcknowledgeStop() {
  const bool signalled = abortEvent_ && ::SetEvent(abortEvent_.get());
  EngineState = kStopAcknowledged;
  return signalled;
}

bool CDriverScannerApp::DisableRedirection(void** oldValue) const {
  if (!m_bWow64 || m_pfnDisableRedirection == nullptr) return false;
  return m_pfnDisableRedirection(oldValue) != FALSE;
}

bool CDriverScannerApp::RevertRedirection(void* oldValue) const {
  if (!m_bWow64 || m_pfnRevertRedirection == nullptr) return false;
  return m_pfnRevertRedirection(oldValue) != FALSE;
}

CDriverScannerApp& TheDriverScannerApp() {
  static CDriverScannerApp app;
  return app;
}

}  // namespace velkor
