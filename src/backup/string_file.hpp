#pragma once
// A text file read line by line through one fixed 2048-byte buffer, as the
// INF reader reads driver INF files: zero bytes are skipped (so a UTF-16LE
// file of ASCII text reads as that text), a line ends at a carriage return or
// line feed, empty lines are never returned, a line holds at most 2047
// characters (the rest of a longer one comes back as further lines, and the
// error text says where), the bytes are taken in the system ANSI code page,
// and the first line loses its first two characters (a byte-order mark).

#include <cstdint>
#include <memory>
#include <string>

#include "backup/inf_platform.hpp"

namespace velkor {

class CStringFile {
 public:
  static constexpr std::size_t kBufferSize = 2048;  // also the longest line, terminator included

  explicit CStringFile(InfPlatform& platform);
  ~CStringFile();
  CStringFile(const CStringFile&) = delete;
  CStringFile& operator=(const CStringFile&) = delete;

  // Opens the file for reading, others allowed to read but not to write.
  bool Open(const std::wstring& path);
  // The next line; false at the end of the file (line is then empty).
  bool ReadString(std::wstring& line);
  void Close();

  // The message of the last overlong line; empty when there was none.
  const std::wstring& ErrorText() const { return m_strError; }
  std::uint64_t FileSize() const { return m_nFileSize; }
  // Where in the file the last refill of the buffer started.
  std::uint64_t RefillPosition() const { return m_nRefillPosition; }

 private:
  bool Refill();
  std::wstring TakeLine(std::string& bytes);

  InfPlatform& m_platform;
  std::unique_ptr<std::uint8_t[]> m_pBuffer;
  std::unique_ptr<ByteSource> m_file;
  std::wstring m_strError;
  std::uint64_t m_nFileSize = 0;
  std::uint64_t m_nRefillPosition = 0;
  std::uint64_t m_nNextRead = 0;  // file position of the next refill
  std::uint32_t m_nBytesInBuffer = 0;
  std::uint32_t m_nPosition = 0;
  std::uint32_t m_nLine = 0;
  bool m_bFirstLine = true;
  bool m_bLastChunk = false;
};

}  // namespace velkor
