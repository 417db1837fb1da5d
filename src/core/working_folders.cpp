#include "core/working_folders.hpp"

#include "base/path.hpp"
#include "core/shell_folders.hpp"

namespace velkor {

FolderSources FolderSources::FromSystem() {
  return {GetProgramFilesFolder(), GetAppDataFolder(), GetUserTempFolder()};
}

WorkingFolders PrepareWorkingFolders(CSettings& settings, const std::wstring& app_name,
                                     const FolderSources& sources) {
  WorkingFolders f;
  f.m_strProgramFolder = JoinPath(JoinPath(sources.programFiles, app_name), L"\\");
  EnsureFolder(f.m_strProgramFolder);
  f.m_strXpFolder = f.m_strProgramFolder + L"xp\\";
  f.m_strAmd64Folder = f.m_strProgramFolder + L"amd64\\";
  f.m_strAmd64Folder2 = f.m_strAmd64Folder;
  f.m_strIa64Folder = f.m_strProgramFolder + L"ia64\\";
  f.m_strVistaFolder = f.m_strProgramFolder + L"Vista\\";

  f.m_strDataFolder = JoinPath(JoinPath(sources.appData, app_name), L"\\");
  f.m_strDefaultDownloadFolder = f.m_strDataFolder + L"Download\\";
  f.m_strDefaultBackupFolder = f.m_strDataFolder + L"Backup\\";
  EnsureFolder(f.m_strDataFolder);

  f.m_strDownloadFolder = settings.Get(kSettingDownloadLoc);
  if (f.m_strDownloadFolder.empty()) {
    f.m_strDownloadFolder = f.m_strDefaultDownloadFolder;
    settings.Set(kSettingDownloadLoc, f.m_strDownloadFolder);
  }
  f.m_strBackupFolder = settings.Get(kSettingBackupLoc);
  if (f.m_strBackupFolder.empty()) {
    f.m_strBackupFolder = f.m_strDefaultBackupFolder;
    settings.Set(kSettingBackupLoc, f.m_strBackupFolder);
  }
  EnsureFolder(f.m_strDownloadFolder);
  EnsureFolder(f.m_strBackupFolder);

  f.m_strTempFolder = JoinPath(JoinPath(sources.userTemp, app_name), L"\\");
  return f;
}

}  // namespace velkor
