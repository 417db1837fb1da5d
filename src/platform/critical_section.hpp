#pragma once
// A critical section owned by the object it guards: initialised with it,
// deleted with it, never copied or moved (other threads hold its address).
// Lockable, so std::lock_guard takes it.

#include <windows.h>

namespace velkor {

class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&section_); }
  ~CriticalSection() { ::DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock() { ::EnterCriticalSection(&section_); }
  void unlock() { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

}  // namespace velkor
