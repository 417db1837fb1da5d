#pragma once
// The program's working folders, each ending in a backslash.

#include <string>

#include "core/settings.hpp"

namespace velkor {

// Where the folders are formed from; the defaults come from the system.
struct FolderSources {
  std::wstring programFiles;  // no trailing backslash
  std::wstring appData;       // no trailing backslash
  std::wstring userTemp;      // ends in a backslash
  static FolderSources FromSystem();
};

struct WorkingFolders {
  std::wstring m_strProgramFolder;
  std::wstring m_strXpFolder;
  std::wstring m_strAmd64Folder;
  std::wstring m_strAmd64Folder2;  // a second member with the same folder, kept for the install flow
  std::wstring m_strIa64Folder;
  std::wstring m_strVistaFolder;
  std::wstring m_strDataFolder;
  std::wstring m_strDefaultDownloadFolder;
  std::wstring m_strDefaultBackupFolder;
  std::wstring m_strDownloadFolder;
  std::wstring m_strBackupFolder;
  std::wstring m_strTempFolder;
};

// Forms every folder, writes the default download and backup folders back to
// the settings when those are empty, and creates the program, data, download and
// backup folders when missing (one level each; a failure is reported later by
// the flow that writes there).
WorkingFolders PrepareWorkingFolders(CSettings& settings, const std::wstring& app_name,
                                     const FolderSources& sources);

}  // namespace velkor
