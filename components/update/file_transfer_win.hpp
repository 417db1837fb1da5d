#pragma once
// One transfer of update.dll: the address fetched with the program's HTTP
// downloader (WinINet, certificates validated in full) into a temporary file
// beside the target, which replaces the target only when the body arrived
// whole. A stop from another thread (the progress window's Cancel) ends it as
// a failure.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "download/http_downloader.hpp"

namespace velkor::update {

// Percent of the current transfer, or -1 while its size is unknown.
using ProgressReport = std::function<void(int percent)>;

class FileTransfer final : public CHttpDownloader {
 public:
  explicit FileTransfer(ProgressReport progress);

  // True when `target` now holds the whole body of `url`.
  bool Run(const std::wstring& url, const std::wstring& target);
  // From any thread.
  void Cancel();

 protected:
  void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) override;

 private:
  ProgressReport progress_;
  std::atomic<bool> cancelled_{false};
};

// Where the temporary file of a target goes: beside it, under a name of its own.
std::wstring TemporaryFileBeside(const std::wstring& target);

}  // namespace velkor::update
