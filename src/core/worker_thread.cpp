#include "core/worker_thread.hpp"

#include <algorithm>
#include <memory>

namespace velkor {
namespace {

DWORD WINAPI ThreadMain(void* parameter) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  try {
    (*body)();
    return 0;
  } catch (...) {
    // The flow host catches what a flow throws; this is the last guard.
    return 1;
  }
}

bool Ended(const UniqueKernelHandle& thread) { return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; }

}  // namespace

bool Win32WorkerThreads::Start(std::function<void()> body) {
  auto start = std::make_unique<std::function<void()>>(std::move(body));
  UniqueKernelHandle thread(CreateThread(nullptr, 0, ThreadMain, start.get(), 0, nullptr));
  if (!thread) return false;
  start.release();  // the thread owns it now
  const std::lock_guard<std::mutex> lock(lock_);
  threads_.erase(std::remove_if(threads_.begin(), threads_.end(), Ended), threads_.end());
  threads_.push_back(std::move(thread));
  return true;
}

bool Win32WorkerThreads::WaitAll(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    UniqueKernelHandle next;
    {
      const std::lock_guard<std::mutex> lock(lock_);
      threads_.erase(std::remove_if(threads_.begin(), threads_.end(), Ended), threads_.end());
      if (threads_.empty()) return true;
      // A handle of our own: Start may close the list's copy once it has ended.
      const HANDLE process = GetCurrentProcess();
      if (!DuplicateHandle(process, threads_.front().get(), process, next.put(), SYNCHRONIZE, FALSE, 0)) {
        return false;
      }
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) return false;
    WaitForSingleObject(next.get(), timeoutMs - spent);
  }
}

}  // namespace velkor
