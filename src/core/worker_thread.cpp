#include "core/worker_thread.hpp"

#include <memory>

namespace velkor {
namespace {

struct WorkerStart {
  OperationHost* host;
  std::function<void()> work;
};

DWORD WINAPI WorkerMain(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  return RunBracketed(*start->host, start->work) ? 0 : 1;
}

DWORD WINAPI ThreadMain(void* parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  try {
    (*work)();
    return 0;
  } catch (...) {
    return 1;
  }
}

}  // namespace

UniqueKernelHandle StartThread(std::function<void()> work) {
  auto start = std::make_unique<std::function<void()>>(std::move(work));
  UniqueKernelHandle thread(CreateThread(nullptr, 0, ThreadMain, start.get(), 0, nullptr));
  if (thread) start.release();  // the thread owns it now
  return thread;
}

UniqueKernelHandle StartWorker(OperationHost& host, std::function<void()> work) {
  auto start = std::make_unique<WorkerStart>(WorkerStart{&host, std::move(work)});
  UniqueKernelHandle thread(CreateThread(nullptr, 0, WorkerMain, start.get(), 0, nullptr));
  if (thread) start.release();  // the thread owns it now
  return thread;
}

}  // namespace velkor
