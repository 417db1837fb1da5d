// update.dll: the self-update's transfers (update_api.h).
//
//   STIsConnected   GET {service}v1/health, bounded, to the update service that
//                   Network.dll is configured for (service_config_win.hpp)
//   STDownloadFiles every listed address into its target (file_transfer_win.hpp),
//                   with the progress window unless "hidden" is "1"
//
// The list and the options are the process's; calls come from the program's
// UI thread, and a lock keeps a second thread from seeing half a change. No
// exception leaves the library: a failure is a zero result.

#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#define VELKOR_UPDATE_BUILD
#include "update_api.h"

#include "file_transfer_win.hpp"
#include "http_client_win.hpp"
#include "progress_window_win.hpp"
#include "service_config_win.hpp"

namespace velkor::update {
namespace {

constexpr std::size_t kMaxNarrowChars = 4096;
constexpr std::size_t kMaxFiles = 64;

struct Transfers {
  std::mutex lock;
  std::vector<std::pair<std::wstring, std::wstring>> files;  // address, target
  bool hidden = false;
};

Transfers& State() {
  static Transfers transfers;
  return transfers;
}

// A narrow text of the thread's ANSI code page, as the program converted it.
bool WideOf(const char* text, std::wstring& out) {
  if (text == nullptr) return false;
  const std::size_t length = strnlen(text, kMaxNarrowChars + 1);
  if (length == 0 || length > kMaxNarrowChars) return false;
  const int chars = MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0);
  if (chars <= 0) return false;
  out.assign(static_cast<std::size_t>(chars), L'\0');
  return MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), out.data(), chars) ==
         chars;
}

}  // namespace
}  // namespace velkor::update

using namespace velkor::update;

VELKOR_UPDATE_API int STIsConnected() {
  try {
    // Short: the user waits for this answer before anything is shown.
    velkor::network::HttpTimeouts timeouts;
    timeouts.connectMs = 5000;
    timeouts.sendMs = 5000;
    timeouts.receiveMs = 5000;
    timeouts.overallMs = 10000;
    const velkor::network::ServiceAddress address =
        velkor::network::ConfiguredServiceAddress(velkor::network::ThisProcessElevation());
    velkor::network::HttpAnswer answer;
    return velkor::network::HttpClient(timeouts).Get(address, velkor::network::RequestPath(address, L"v1/health"),
                                                     4096, answer)
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

VELKOR_UPDATE_API void STClearFiles() {
  try {
    Transfers& state = State();
    const std::lock_guard<std::mutex> lock(state.lock);
    state.files.clear();
  } catch (...) {
  }
}

VELKOR_UPDATE_API int STAddFile(const char* url, const char* localPath) {
  try {
    std::wstring address, target;
    if (!WideOf(url, address) || !WideOf(localPath, target)) return 0;
    Transfers& state = State();
    const std::lock_guard<std::mutex> lock(state.lock);
    if (state.files.size() >= kMaxFiles) return 0;
    state.files.emplace_back(std::move(address), std::move(target));
    return 1;
  } catch (...) {
    return 0;
  }
}

VELKOR_UPDATE_API int STSetOption(const char* name, const char* value) {
  try {
    if (name == nullptr || value == nullptr || std::string_view(name) != "hidden") return 0;
    const std::string_view text(value);
    if (text != "0" && text != "1") return 0;
    Transfers& state = State();
    const std::lock_guard<std::mutex> lock(state.lock);
    state.hidden = text == "1";
    return 1;
  } catch (...) {
    return 0;
  }
}

VELKOR_UPDATE_API int STDownloadFiles(HWND parent) {
  try {
    std::vector<std::pair<std::wstring, std::wstring>> files;
    bool hidden = false;
    {
      Transfers& state = State();
      const std::lock_guard<std::mutex> lock(state.lock);
      files = state.files;
      hidden = state.hidden;
    }
    if (files.empty()) return 0;
    std::mutex transferLock;
    FileTransfer* current = nullptr;
    bool cancelled = false;
    const auto runAll = [&](const std::function<void(int)>& report) {
      for (const auto& [address, target] : files) {
        FileTransfer transfer(report);
        {
          const std::lock_guard<std::mutex> lock(transferLock);
          if (cancelled) return false;
          current = &transfer;
        }
        const bool written = transfer.Run(address, target);
        {
          const std::lock_guard<std::mutex> lock(transferLock);
          current = nullptr;
        }
        if (!written) return false;
      }
      return true;
    };
    if (hidden) return runAll([](int) {}) ? 1 : 0;
    ProgressWork work;
    work.run = runAll;
    work.cancel = [&] {
      const std::lock_guard<std::mutex> lock(transferLock);
      cancelled = true;
      if (current != nullptr) current->Cancel();
    };
    return RunWithProgress(parent, work) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
