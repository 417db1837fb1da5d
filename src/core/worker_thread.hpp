#pragma once
// The flow host's threads over Win32: normal priority, default stack, running
// at once. The handles of the threads started are kept until they end, so that
// an owner going away can wait for its workers.

#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

#include "core/flow_host.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class Win32WorkerThreads final : public WorkerThreads {
 public:
  Win32WorkerThreads() = default;
  ~Win32WorkerThreads() override = default;
  Win32WorkerThreads(const Win32WorkerThreads&) = delete;
  Win32WorkerThreads& operator=(const Win32WorkerThreads&) = delete;

  bool Start(std::function<void()> body) override;
  // Waits until every thread started so far has ended; false on time-out.
  bool WaitAll(DWORD timeoutMs);

 private:
  std::mutex lock_;
  std::vector<UniqueKernelHandle> threads_;
};

}  // namespace velkor
