// ParseInf and its scans. Every scan reads its file from the first line; a
// section starts after the first line that, lower-cased, contains its header
// and ends at the next non-empty line that begins with "[".

#include <algorithm>

#include "backup/backup_restore.hpp"
#include "base/text.hpp"

namespace velkor {
namespace {

constexpr std::size_t kNoLine = InfTexts::kNoLine;
constexpr wchar_t kCatalogFolder[] = L"\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\";

// The lower-cased text left of the first "=", trimmed; empty without "=".
std::wstring KeyOf(std::wstring_view line) {
  const std::size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return {};
  return Trim(AsciiToLower(line.substr(0, equals)));
}

// The text right of the first "=", as written; empty without "=".
std::wstring_view ValueOf(std::wstring_view line) {
  const std::size_t equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(equals + 1);
}

// A list value split at every comma, each item trimmed.
std::vector<std::wstring> Items(std::wstring_view value) {
  std::vector<std::wstring> items = SplitText(value, L',');
  for (std::wstring& item : items) item = Trim(item);
  return items;
}

bool IsSectionEnd(std::wstring_view line) { return !line.empty() && line.front() == L'['; }

void Append(std::vector<std::wstring>& list, std::wstring value) {
  if (list.size() < kMaxInfListEntries) list.push_back(std::move(value));
}

std::wstring_view FileNamePart(std::wstring_view path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

CBackupRestore::CBackupRestore(InfPlatform& platform, DirIdCache& dirIds)
    : m_strWindowsDir(platform.SpecialFolder(kCsidlWindows)),
      m_platform(platform),
      m_dirIds(dirIds),
      m_infTexts(platform) {}

void CBackupRestore::ParseInf(const std::wstring& infName, const std::wstring& section,
                              const std::wstring& sectionExt) {
  const std::wstring decorated = section + sectionExt;
  m_arrFiles.clear();
  m_arrCopyFiles.clear();
  m_arrCoInstallerCopyFiles.clear();
  m_infTexts.Reset();
  const std::wstring infPath = m_strWindowsDir + L"\\inf\\" + infName;

  ScanInstallSection(infPath, L"[" + decorated + L"]");
  AddCopyFilesEntries(m_arrCopyFiles, infPath);
  AddCatalogFiles(infPath);
  ScanCoInstallerSection(infPath, L"[" + decorated + L".CoInstallers]");
  AddCopyFilesEntries(m_arrCoInstallerCopyFiles, infPath);
  Append(m_arrFiles, infPath);
  if (m_platform.OsVersionCode() == 6) AddSourceDisksFiles(infPath);
  m_infTexts.Reset();  // the lines are not kept beyond the call
}

void CBackupRestore::ScanInstallSection(const std::wstring& infPath, const std::wstring& header) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  const std::size_t slash = infPath.rfind(L'\\');
  const std::wstring infFolder = slash == std::wstring::npos ? std::wstring() : infPath.substr(0, slash);
  for (std::size_t i = m_infTexts.SectionStart(lines, AsciiToLower(header)); i != kNoLine && i < lines.Count();
       ++i) {
    const std::wstring_view line = lines.Line(i);
    if (!m_infTexts.Spend(line.size())) return;
    const std::wstring key = KeyOf(line);
    if (key.find(L"include") != std::wstring::npos) {  // Include and Includes
      m_arrIncludes.clear();
      for (const std::wstring& item : Items(ValueOf(line))) {
        const std::wstring included = infFolder + L"\\" + item;
        Append(m_arrFiles, included);
        Append(m_arrIncludes, included);
      }
    }
    // The whole line counts here, not only its key.
    if (!m_arrIncludes.empty() && lines.Lower(i).find(L"needs") != std::wstring_view::npos) {
      m_arrNeeds.clear();
      for (std::wstring& item : Items(ValueOf(line))) Append(m_arrNeeds, std::move(item));
    }
    if (!m_arrIncludes.empty() && !m_arrNeeds.empty()) {
      // Included files and needed sections pair up by position.
      for (std::size_t n = 0; n < m_arrIncludes.size() && n < m_arrNeeds.size(); ++n) {
        if (!m_arrNeeds[n].empty()) ResolveNeeds(m_arrIncludes[n], m_arrNeeds[n]);
      }
      m_arrIncludes.clear();
      m_arrNeeds.clear();
    }
    if (IsSectionEnd(line)) return;
    if (key.find(L"copyfile") != std::wstring::npos) {  // CopyFile and CopyFiles
      for (std::wstring& item : Items(ValueOf(line))) Append(m_arrCopyFiles, std::move(item));
    }
  }
}

void CBackupRestore::ScanCopyFiles(const std::wstring& infPath, const std::wstring& header,
                                   std::vector<std::wstring>& names) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  for (std::size_t i = m_infTexts.SectionStart(lines, AsciiToLower(header)); i != kNoLine && i < lines.Count();
       ++i) {
    const std::wstring_view line = lines.Line(i);
    if (!m_infTexts.Spend(line.size()) || IsSectionEnd(line)) return;
    if (KeyOf(line).find(L"copyfile") != std::wstring::npos) {
      for (std::wstring& item : Items(ValueOf(line))) Append(names, std::move(item));
    }
  }
}

void CBackupRestore::ResolveNeeds(const std::wstring& includedInfPath, const std::wstring& section) {
  // Included files are searched for this section's files only: not for
  // further includes, co-installers or catalogs.
  m_arrNeedsCopyFiles.clear();
  ScanCopyFiles(includedInfPath, L"[" + AsciiToLower(section) + L"]", m_arrNeedsCopyFiles);
  AddCopyFilesEntries(m_arrNeedsCopyFiles, includedInfPath);
}

void CBackupRestore::ScanCoInstallerSection(const std::wstring& infPath, const std::wstring& header) {
  ScanCopyFiles(infPath, header, m_arrCoInstallerCopyFiles);
}

void CBackupRestore::AddCopyFilesEntries(const std::vector<std::wstring>& names, const std::wstring& infPath) {
  for (const std::wstring& name : names) {
    const std::wstring folder = GetDestinationDir(name, infPath);
    if (!ReadFileSection(L"[" + name + L"]", infPath, folder)) Append(m_arrFiles, folder + name);
  }
}

std::wstring CBackupRestore::GetDestinationDir(const std::wstring& name, const std::wstring& infPath) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  const std::wstring lowerName = AsciiToLower(name);
  std::wstring defaultDir;
  for (std::size_t i = m_infTexts.SectionStart(lines, L"[destinationdirs]"); i != kNoLine && i < lines.Count();
       ++i) {
    const std::wstring_view line = lines.Line(i);
    const std::wstring_view lower = lines.Lower(i);
    // This section alone ends at a "[" anywhere in a line.
    if (!m_infTexts.Spend(line.size()) || line.find(L'[') != std::wstring_view::npos) break;
    if (lower.find(L"defaultdestdir") != std::wstring_view::npos) defaultDir = Trim(ValueOf(line));
    if (lower.find(lowerName) == std::wstring_view::npos) continue;
    // The entry's value is taken from the lower-cased line, so a subfolder
    // comes out in lower case.
    const std::wstring_view value = ValueOf(lower);
    const std::size_t comma = value.find(L',');
    if (comma == std::wstring_view::npos) return DirIdToPath(ParseDecimal(Trim(value)));
    return DirIdToPath(ParseDecimal(value.substr(0, comma))) + Trim(value.substr(comma + 1)) + L"\\";
  }
  return DirIdToPath(ParseDecimal(defaultDir));
}

bool CBackupRestore::ReadFileSection(const std::wstring& header, const std::wstring& infPath,
                                     const std::wstring& folder) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  const std::size_t start = m_infTexts.SectionStart(lines, AsciiToLower(header));
  if (start == kNoLine) return false;
  for (std::size_t i = start; i < lines.Count(); ++i) {
    std::wstring_view line = lines.Line(i);
    if (!m_infTexts.Spend(line.size())) break;
    if (line.empty()) continue;
    if (IsSectionEnd(line)) break;
    line = line.substr(0, line.find(L';'));
    const std::wstring text = Trim(line);
    if (text.empty() || IsFileListed(text)) continue;
    Append(m_arrFiles, folder + text);
  }
  return true;
}

bool CBackupRestore::IsFileListed(const std::wstring& text) {
  for (const std::wstring& entry : m_arrFiles) {
    // A spent budget counts as listed, so nothing more is added.
    if (!m_infTexts.Spend(entry.size())) return true;
    if (entry.find(text) != std::wstring::npos) return true;
  }
  return false;
}

void CBackupRestore::AddCatalogFiles(const std::wstring& infPath) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    const std::wstring_view line = lines.Line(i);
    if (!m_infTexts.Spend(line.size())) return;
    if (lines.Lower(i).find(L"catalogfile") == std::wstring_view::npos) continue;
    const std::wstring value = Trim(line.find(L'=') == std::wstring_view::npos ? line : ValueOf(line));
    Append(m_arrFiles, m_strWindowsDir + kCatalogFolder + value);
  }
}

void CBackupRestore::AddSourceDisksFiles(const std::wstring& infPath) {
  const InfLines& lines = m_infTexts.Lines(infPath);
  std::size_t start = kNoLine;
  for (const std::size_t i : lines.BracketLines()) {
    if (!m_infTexts.Spend(lines.Line(i).size())) return;
    if (IsSectionEnd(lines.Line(i)) && lines.Lower(i).find(L"sourcedisksfiles") != std::wstring_view::npos) {
      start = i + 1;  // [SourceDisksFiles], [SourceDisksFiles.x86], ...: the first one only
      break;
    }
  }
  if (start == kNoLine) return;
  const std::wstring systemFolder = m_platform.SpecialFolder(kCsidlSystem);
  for (std::size_t i = start; i < lines.Count(); ++i) {
    const std::wstring_view line = lines.Line(i);
    if (!m_infTexts.Spend(line.size()) || IsSectionEnd(line)) return;
    if (line.empty() || line.front() == L';') continue;
    const std::wstring name = Trim(line.substr(0, line.find(L'=')));
    const bool listed = std::any_of(m_arrFiles.begin(), m_arrFiles.end(), [&](const std::wstring& entry) {
      return !m_infTexts.Spend(entry.size()) || FileNamePart(entry).find(name) != std::wstring_view::npos;
    });
    if (listed) continue;
    std::wstring candidate = systemFolder + (name.find(L".sys") != std::wstring::npos ? L"\\drivers\\" : L"\\") + name;
    bool exists = m_platform.FileExists(candidate);
    if (!exists && !m_arrDriverStore.empty()) {
      for (const std::wstring& stored : m_arrDriverStore) {
        if (!m_infTexts.Spend(stored.size())) return;
        if (stored.find(name) == std::wstring::npos) continue;
        candidate = stored;
        exists = m_platform.FileExists(candidate);
        break;
      }
    }
    if (exists) Append(m_arrFiles, candidate);
  }
}

}  // namespace velkor
