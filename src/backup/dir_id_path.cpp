#include "backup/dir_id_path.hpp"

namespace velkor {
namespace {

// A special folder with the rest of the id's folder after it.
struct DirIdRow {
  int id;
  int csidl;
  const wchar_t* below;  // appended to the special folder, ends in a backslash
};

constexpr DirIdRow kTable[] = {
    {10, kCsidlWindows, L"\\"},
    {11, kCsidlSystem, L"\\"},
    {12, kCsidlSystem, L"\\drivers\\"},
    {17, kCsidlWindows, L"\\inf\\"},
    {18, kCsidlWindows, L"\\Help\\"},
    {20, kCsidlFonts, L"\\"},
    {24, kCsidlProgramFiles, L"\\"},
    {51, kCsidlSystem, L"\\spool\\"},
    {52, kCsidlSystem, L"\\spool\\drivers\\"},
    {53, kCsidlProfile, L"\\"},
    {16406, kCsidlCommonStartMenu, L"\\"},
    {16407, kCsidlCommonPrograms, L"\\"},
    {16408, kCsidlCommonStartup, L"\\"},
    {16409, kCsidlCommonDesktopDirectory, L"\\"},
    {16415, kCsidlCommonFavorites, L"\\"},
    {16419, kCsidlCommonAppData, L"\\"},
    {16422, kCsidlProgramFiles, L"\\"},
    {16427, kCsidlProgramFilesCommon, L"\\"},
    {16429, kCsidlCommonTemplates, L"\\"},
    {16430, kCsidlCommonDocuments, L"\\"},
};

}  // namespace

std::wstring DirIdFolder(int id, InfPlatform& platform) {
  for (const DirIdRow& row : kTable) {
    if (row.id != id) continue;
    const std::wstring folder = platform.SpecialFolder(row.csidl);
    if (folder.empty()) return {};
    return folder + row.below;
  }
  return {};
}

std::wstring DirIdCache::Lookup(int id, InfPlatform& platform) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_folders.find(id);
    if (found != m_folders.end()) return found->second;
  }
  // Asked outside the lock: the system's answer does not change, so two
  // threads asking at once store the same folder.
  std::wstring folder = DirIdFolder(id, platform);
  if (!folder.empty()) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_folders.emplace(id, folder);
  }
  return folder;
}

DirIdCache& ProcessDirIdCache() {
  static DirIdCache cache;
  return cache;
}

}  // namespace velkor
