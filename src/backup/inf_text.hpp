#pragma once
// The lines of the INF files one ParseInf call scans. The reader scans the
// same file many times (once per section it looks for); each file is read
// once with CStringFile and its lines are kept for the call, which gives every
// scan the same lines a fresh read would.
//
// INF files are outside input, so what one call may hold and do is bounded:
// the bytes read of one file, the characters kept of all files, and the work
// of all scans (characters examined). Past a bound a file reads as if it ended
// there, and a scan whose budget is spent finds nothing more. Driver INF files
// stay far below every bound.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "backup/inf_platform.hpp"

namespace velkor {

inline constexpr std::uint64_t kMaxInfFileBytes = std::uint64_t{16} << 20;
inline constexpr std::size_t kMaxInfTextChars = std::size_t{16} << 20;
inline constexpr std::uint64_t kInfScanBudget = std::uint64_t{1} << 28;
// Every list the reader fills holds at most this many entries.
inline constexpr std::size_t kMaxInfListEntries = 8192;

class InfLines {
 public:
  std::size_t Count() const { return m_spans.size(); }
  std::wstring_view Line(std::size_t i) const { return View(m_text, i); }
  // The line with ASCII letters lower-cased.
  std::wstring_view Lower(std::size_t i) const { return View(m_lower, i); }
  // The lines that hold a "[": only they can be section headers.
  const std::vector<std::size_t>& BracketLines() const { return m_bracketLines; }

  void Add(const std::wstring& line);
  std::size_t Characters() const { return m_text.size(); }

 private:
  std::wstring_view View(const std::wstring& text, std::size_t i) const {
    return std::wstring_view(text).substr(m_spans[i].first, m_spans[i].second);
  }

  std::wstring m_text;
  std::wstring m_lower;
  std::vector<std::pair<std::size_t, std::size_t>> m_spans;  // offset, length
  std::vector<std::size_t> m_bracketLines;
};

class InfTexts {
 public:
  static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

  explicit InfTexts(InfPlatform& platform) : m_platform(platform) {}

  // Forgets every file and renews the budget.
  void Reset();
  // The lines of the file; none when it cannot be opened.
  const InfLines& Lines(const std::wstring& path);
  // The line after the first line that contains the lower-cased header; kNoLine
  // when there is none.
  std::size_t SectionStart(const InfLines& lines, std::wstring_view lowerHeader);
  // Takes work from the budget; false once it is spent.
  bool Spend(std::size_t work);

 private:
  InfPlatform& m_platform;
  std::map<std::wstring, InfLines> m_files;
  std::size_t m_nCharacters = 0;
  std::uint64_t m_nBudget = kInfScanBudget;
};

}  // namespace velkor
