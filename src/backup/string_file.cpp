#include "backup/string_file.hpp"

#include <algorithm>

namespace velkor {
namespace {

bool IsBreak(std::uint8_t b) { return b == '\r' || b == '\n'; }

}  // namespace

CStringFile::CStringFile(InfPlatform& platform)
    : m_platform(platform), m_pBuffer(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

CStringFile::~CStringFile() = default;

bool CStringFile::Open(const std::wstring& path) {
  Close();
  m_file = m_platform.OpenShared(path);
  if (!m_file) return false;
  m_nFileSize = m_file->Size();
  return true;
}

void CStringFile::Close() {
  m_file.reset();
  m_strError.clear();
  m_nFileSize = 0;
  m_nRefillPosition = 0;
  m_nNextRead = 0;
  m_nBytesInBuffer = 0;
  m_nPosition = 0;
  m_nLine = 0;
  m_bFirstLine = true;
  m_bLastChunk = false;
}

bool CStringFile::Refill() {
  if (m_bLastChunk || !m_file) return false;
  const std::uint64_t left = m_nFileSize - std::min(m_nFileSize, m_nNextRead);
  const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kBufferSize));
  if (count == 0 || !m_file->ReadAt(m_nNextRead, {m_pBuffer.get(), count})) {
    m_bLastChunk = true;
    return false;
  }
  m_nRefillPosition = m_nNextRead;
  m_nNextRead += count;
  m_nBytesInBuffer = count;
  m_nPosition = 0;
  if (count < kBufferSize) m_bLastChunk = true;
  return true;
}

std::wstring CStringFile::TakeLine(std::string& bytes) {
  std::wstring line = m_platform.DecodeAnsi({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  bytes.clear();
  if (m_bFirstLine) {
    // Where a file starts with a byte-order mark, these are its two bytes.
    line.erase(0, std::min<std::size_t>(2, line.size()));
    m_bFirstLine = false;
  }
  return line;
}

bool CStringFile::ReadString(std::wstring& line) {
  line.clear();
  if (!m_file) return false;
  std::string pending;
  for (;;) {
    if (m_nPosition >= m_nBytesInBuffer && !Refill()) break;
    // The bytes up to the next zero or break byte go into the line at once,
    // as far as it has room.
    const std::uint8_t* const begin = m_pBuffer.get() + m_nPosition;
    const std::size_t room = kBufferSize - 1 - pending.size();
    const std::uint8_t* const limit = begin + std::min<std::size_t>(room, m_nBytesInBuffer - m_nPosition);
    const std::uint8_t* run = begin;
    while (run < limit && *run != 0 && !IsBreak(*run)) ++run;
    pending.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(run - begin));
    m_nPosition += static_cast<std::uint32_t>(run - begin);
    if (m_nPosition >= m_nBytesInBuffer) continue;

    const std::uint8_t byte = m_pBuffer[m_nPosition];
    if (byte == 0) {
      ++m_nPosition;
      continue;
    }
    if (pending.size() == kBufferSize - 1) {
      // The line is full: it is returned as it is, and this byte starts the
      // next call (a line break included).
      ++m_nLine;
      m_strError = L"m_pBuffer overflow in line " + std::to_wstring(m_nLine) + L" (line length over " +
                   std::to_wstring(kBufferSize) + L" chars)";
      line = TakeLine(pending);
      return true;
    }
    ++m_nPosition;  // a break byte
    if (!pending.empty()) {
      ++m_nLine;
      line = TakeLine(pending);
      return true;
    }
    // A break while the line is empty: a pair of breaks in the same buffer
    // is one counted empty line, a single break is not counted.
    if (m_nPosition < m_nBytesInBuffer && IsBreak(m_pBuffer[m_nPosition])) {
      ++m_nPosition;
      ++m_nLine;
    }
  }
  m_nLine = 0;
  if (pending.empty()) return false;
  line = TakeLine(pending);
  return true;
}

}  // namespace velkor
