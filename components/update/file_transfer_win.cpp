#include "file_transfer_win.hpp"

#include <windows.h>

namespace velkor::update {
namespace {

// The self-update's setup is a few megabytes; nothing it fetches comes near this.
constexpr std::uint64_t kMaxUpdateBytes = 1ull << 30;
constexpr std::uint32_t kBufferBytes = 64 * 1024;

}  // namespace

FileTransfer::FileTransfer(ProgressReport progress) : CHttpDownloader(L"Velkor"), progress_(std::move(progress)) {
  m_bufferSize = kBufferBytes;
  m_maxTransferBytes = kMaxUpdateBytes;
}

std::wstring TemporaryFileBeside(const std::wstring& target) {
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
  wchar_t name[MAX_PATH] = {};
  // Makes the (empty) file, so that no other transfer takes the same name.
  if (folder.size() >= MAX_PATH - 14 || GetTempFileNameW(folder.c_str(), L"vku", 0, name) == 0) return {};
  return name;
}

bool FileTransfer::Run(const std::wstring& url, const std::wstring& target) {
  if (cancelled_.load()) return false;
  const std::wstring temporary = TemporaryFileBeside(target);
  if (temporary.empty()) return false;
  m_url = url;
  m_localFile = temporary;
  // A stop ends the body early; the downloader then reports what it has as
  // complete, so the stop is checked here.
  const bool complete = Download() && !cancelled_.load();
  if (!complete ||
      !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

void FileTransfer::Cancel() {
  cancelled_.store(true);
  Abort();
}

void FileTransfer::OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) {
  if (!progress_) return;
  progress_(sizeKnown && total > 0 ? static_cast<int>(bytes >= total ? 100 : bytes * 100 / total) : -1);
}

}  // namespace velkor::update
