#pragma once
// The target file of a transfer: opened for writing with others allowed only
// to read, kept or created afresh, cut at the resume offset, written piece by
// piece. Failures keep the system's error code, which the transfer reports.

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/byte_source.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

// The body goes through the byte sink every format and transfer writes to.
class CTransferFile final : public ByteSink {
 public:
  // keepExisting: an existing file is opened as it is (to resume); otherwise
  // it is created afresh, an existing one truncated. False on failure, with
  // the error in LastError().
  bool Open(const std::wstring& path, bool keepExisting);
  // Moves to offset from the start and makes the file end there.
  bool CutAt(std::uint64_t offset);
  bool Write(std::span<const std::uint8_t> bytes) override;
  // Nothing is held back: every piece goes to the system as it comes.
  bool Flush() override { return lastError_ == 0; }
  // The system's error of the last failure (0 when none).
  std::uint32_t LastError() const { return lastError_; }
  // Closes the file; false when the system reported a failure.
  bool Close();
  bool IsOpen() const { return static_cast<bool>(file_); }

 private:
  UniqueKernelHandle file_;
  DWORD lastError_ = 0;
};

}  // namespace velkor
