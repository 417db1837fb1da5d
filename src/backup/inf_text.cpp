#include "backup/inf_text.hpp"

#include "backup/string_file.hpp"
#include "base/text.hpp"

namespace velkor {

void InfLines::Add(const std::wstring& line) {
  if (line.find(L'[') != std::wstring::npos) m_bracketLines.push_back(m_spans.size());
  m_spans.emplace_back(m_text.size(), line.size());
  m_text += line;
  m_lower += AsciiToLower(line);
}

void InfTexts::Reset() {
  m_files.clear();
  m_nCharacters = 0;
  m_nBudget = kInfScanBudget;
}

const InfLines& InfTexts::Lines(const std::wstring& path) {
  const auto found = m_files.find(path);
  if (found != m_files.end()) return found->second;
  InfLines& lines = m_files[path];
  CStringFile file(m_platform);
  if (!file.Open(path)) return lines;
  std::wstring line;
  while (file.RefillPosition() < kMaxInfFileBytes && file.ReadString(line)) {
    if (m_nCharacters + line.size() > kMaxInfTextChars) break;
    m_nCharacters += line.size();
    lines.Add(line);
  }
  return lines;
}

std::size_t InfTexts::SectionStart(const InfLines& lines, std::wstring_view lowerHeader) {
  for (const std::size_t i : lines.BracketLines()) {
    const std::wstring_view lower = lines.Lower(i);
    if (!Spend(lower.size())) return kNoLine;
    if (lower.find(lowerHeader) != std::wstring_view::npos) return i + 1;
  }
  return kNoLine;
}

bool InfTexts::Spend(std::size_t work) {
  // Every look at a line costs at least one unit, however short the line.
  const std::uint64_t cost = work + 1;
  if (m_nBudget < cost) {
    m_nBudget = 0;
    return false;
  }
  m_nBudget -= cost;
  return true;
}

}  // namespace velkor
