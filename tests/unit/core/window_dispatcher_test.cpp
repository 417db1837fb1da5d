#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/message_pump.hpp"
#include "core/window_dispatcher.hpp"
#include "core/worker_thread.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// Runs the UI thread's loop until `done` or the deadline; false on time-out.
bool PumpUntil(const std::atomic<bool>& done, DWORD deadlineMs = 10000) {
  const DWORD start = GetTickCount();
  while (!done) {
    if (GetTickCount() - start > deadlineMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    PumpPendingMessages();
  }
  return true;
}

TEST(WindowDispatcher, AWorkersCallRunsOnTheUiThreadAndTheWorkerWaitsForIt) {
  WindowDispatcher ui;
  ASSERT_TRUE(ui.Ready());
  const DWORD uiThread = GetCurrentThreadId();
  Win32WorkerThreads threads;
  std::atomic<bool> done{false};
  DWORD ranOn = 0;
  bool sawResult = false;
  ASSERT_TRUE(threads.Start([&] {
    ui.Invoke([&] { ranOn = GetCurrentThreadId(); });
    // Invoke returned: the call has run.
    sawResult = ranOn == uiThread;
    done = true;
  }));
  ASSERT_TRUE(PumpUntil(done));
  EXPECT_TRUE(sawResult);
  EXPECT_TRUE(threads.WaitAll(10000));

  // On the UI thread itself the call runs at once.
  bool ran = false;
  ui.Invoke([&] { ran = true; });
  EXPECT_TRUE(ran);
}

// Posts wait for the UI thread; a newer report of the same key replaces the
// one not yet shown (in its place), and everything posted runs before a later
// Invoke of the same worker.
TEST(WindowDispatcher, PostsKeepTheirOrderAndOnlyTheNewestReportOfAKeyIsShown) {
  WindowDispatcher ui;
  Win32WorkerThreads threads;
  std::vector<std::string> shown;
  UniqueKernelHandle posted(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> done{false};
  ASSERT_TRUE(threads.Start([&] {
    for (int percent = 0; percent <= 100; ++percent) {
      ui.Post(1, [&shown, percent] { shown.push_back("progress " + std::to_string(percent)); });
      if (percent == 50) ui.Post(0, [&] { shown.push_back("status"); });
    }
    ui.Post(2, [&] { shown.push_back("device A"); });
    ui.Post(2, [&] { shown.push_back("device B"); });
    SetEvent(posted.get());
    ui.Invoke([&] { shown.push_back("message box"); });
    done = true;
  }));
  // The UI thread is busy until every report was posted.
  ASSERT_EQ(WaitForSingleObject(posted.get(), 10000), WAIT_OBJECT_0);
  ASSERT_TRUE(PumpUntil(done));
  EXPECT_EQ(shown, (std::vector<std::string>{"progress 100", "status", "device B", "message box"}));
  EXPECT_TRUE(threads.WaitAll(10000));
}

TEST(WindowDispatcher, AFailureOnTheUiThreadReachesTheWorker) {
  WindowDispatcher ui;
  Win32WorkerThreads threads;
  std::atomic<bool> done{false};
  std::string caught;
  ASSERT_TRUE(threads.Start([&] {
    try {
      ui.Invoke([] { throw std::runtime_error("no window"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    done = true;
  }));
  ASSERT_TRUE(PumpUntil(done));
  EXPECT_EQ(caught, "no window");
  EXPECT_TRUE(threads.WaitAll(10000));
}

}  // namespace
}  // namespace velkor
