#include "download/transfer_file_win.hpp"

namespace velkor {

bool CTransferFile::Open(const std::wstring& path, bool keepExisting) {
  lastError_ = 0;
  file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            keepExisting ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  lastError_ = file_ ? 0 : ::GetLastError();
  if (!file_) ::SetLastError(lastError_);
  return static_cast<bool>(file_);
}

bool CTransferFile::CutAt(std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_.get())) {
    lastError_ = ::GetLastError();
    return false;
  }
  return true;
}

bool CTransferFile::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD piece = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes.data(), piece, &written, nullptr)) {
      lastError_ = ::GetLastError();
      return false;
    }
    if (written == 0) {
      lastError_ = ERROR_WRITE_FAULT;
      return false;
    }
    bytes = bytes.subspan(written);
  }
  return true;
}

bool CTransferFile::Close() {
  if (!file_) return true;
  const bool ok = ::CloseHandle(file_.release()) != 0;
  if (!ok) lastError_ = ::GetLastError();
  return ok;
}

}  // namespace velkor
