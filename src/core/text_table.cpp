#include "core/text_table.hpp"

#include <vector>

#include "base/path.hpp"
#include "core/file_bytes.hpp"
#include "core/text_file_format.hpp"

namespace velkor {
namespace {

// The file is a few tens of kilobytes; anything far larger is not a text file
// of ours and is read no further than this.
constexpr std::size_t kTextFileLimit = 4u * 1024 * 1024;

bool ReadDocument(const std::wstring& path, ProfileDocument& doc) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, kTextFileLimit, bytes) != ReadResult::Ok) return false;
  doc = ProfileDocument::Parse(bytes);
  return true;
}

}  // namespace

std::wstring CTextTable::FilePathIn(std::wstring_view program_files_folder) {
  return JoinPath(JoinPath(program_files_folder, kDefaultAppName), kTextFileName);
}

void CTextTable::Locate(std::wstring path) {
  m_strPath = std::move(path);
  if (!m_strPath.empty() && !FileExists(m_strPath)) WriteDefaultFile();
}

std::wstring CTextTable::GetText(std::wstring_view key) {
  if (m_strPath.empty() || key.empty()) return {};
  if (!FileExists(m_strPath)) WriteDefaultFile();
  ProfileDocument doc;
  if (!ReadDocument(m_strPath, doc) || doc.KeyNames(kTextSection).empty()) return {};
  std::wstring text = doc.Value(kTextSection, key).value_or(std::wstring());
  if (text.empty()) {
    WriteDefaultFile();
    if (ReadDocument(m_strPath, doc)) text = doc.Value(kTextSection, key).value_or(std::wstring());
  }
  return text;
}

std::wstring CTextTable::GetAppName() {
  std::wstring name = GetText(L"IDS_APP_NAME");
  return name.empty() ? std::wstring(kDefaultAppName) : name;
}

bool CTextTable::SetText(std::wstring_view key, std::wstring_view text) {
  if (m_strPath.empty() || key.empty() || text.empty()) return false;
  ProfileDocument doc;
  if (!ReadDocument(m_strPath, doc) || !doc.SetValue(kTextSection, key, text)) return false;
  m_bLastWrite = WriteFileReplacing(m_strPath, doc.Serialize());
  return m_bLastWrite;
}

bool CTextTable::WriteDefaultFile() {
  if (m_strPath.empty()) return m_bLastWrite = false;
  m_bLastWrite = WriteFileReplacing(m_strPath, BuildDefaultTextFile());
  return m_bLastWrite;
}

std::wstring CTextTable::PeekText(std::wstring_view key) const {
  ProfileDocument doc;
  if (m_strPath.empty() || key.empty() || !ReadDocument(m_strPath, doc)) return {};
  return doc.Value(kTextSection, key).value_or(std::wstring());
}

}  // namespace velkor
