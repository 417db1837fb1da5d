#pragma once
// The backup engine. This part of it reads a device's driver INF file and
// lists every file the driver installed (ParseInf): the files of the install
// section's CopyFiles directives in their destination folders, the same for
// its co-installer section, included INF files and the sections needed from
// them, the catalog files, the INF file itself and, on OS version code 6, the
// files of [SourceDisksFiles] that exist.
//
// The reader is a line scanner with substring matching, not an INF parser:
// no %strkey% substitution, no line continuation, no quoting; values are taken
// literally, and the caller passes the section name and its decoration as the
// system recorded them.
//
// The driver collection adds its members and operations to this class (its
// platform interface derives from InfPlatform and is handed to the
// constructor); the INF members below are the ones it reads and fills.

#include <cstdint>
#include <string>
#include <vector>

#include "backup/dir_id_path.hpp"
#include "backup/inf_platform.hpp"
#include "backup/inf_text.hpp"

namespace velkor {

class CBackupRestore {
 public:
  // Takes the Windows folder from the platform. The directory-id cache is the
  // process's unless a test brings its own.
  explicit CBackupRestore(InfPlatform& platform, DirIdCache& dirIds = ProcessDirIdCache());
  CBackupRestore(const CBackupRestore&) = delete;
  CBackupRestore& operator=(const CBackupRestore&) = delete;

  // Empties and refills m_arrFiles for infName (a bare file name in the system
  // INF folder), the install section and its decoration (may be empty).
  void ParseInf(const std::wstring& infName, const std::wstring& section, const std::wstring& sectionExt);

  std::wstring m_strWindowsDir;  // without a trailing backslash
  // Entries are a destination folder (ending in a backslash, or empty) with
  // the text of a file-list line after it ("abc.sys,abc_orig.sys,,2"), a
  // destination folder with a CopyFiles name that names no section ("@x.sys"),
  // or a full path (an included INF, a catalog, the INF itself, a file of
  // [SourceDisksFiles]). In the order found; duplicates allowed.
  std::vector<std::wstring> m_arrFiles;
  std::vector<std::wstring> m_arrCopyFiles;             // CopyFiles names of the install section
  std::vector<std::wstring> m_arrCoInstallerCopyFiles;  // ... of the co-installer section
  std::vector<std::wstring> m_arrIncludes;              // full paths of the last Include directive
  std::vector<std::wstring> m_arrNeeds;                 // section names of the last Needs directive
  std::vector<std::wstring> m_arrNeedsCopyFiles;        // CopyFiles names of a needed section
  // Every file and folder below the driver store, filled by the backup before
  // it reads INF files on OS version code 6; only read here.
  std::vector<std::wstring> m_arrDriverStore;

 protected:
  void ScanInstallSection(const std::wstring& infPath, const std::wstring& header);
  void ResolveNeeds(const std::wstring& includedInfPath, const std::wstring& section);
  std::wstring GetDestinationDir(const std::wstring& name, const std::wstring& infPath);
  bool ReadFileSection(const std::wstring& header, const std::wstring& infPath, const std::wstring& folder);
  bool IsFileListed(const std::wstring& text);
  void AddCatalogFiles(const std::wstring& infPath);
  void ScanCoInstallerSection(const std::wstring& infPath, const std::wstring& header);
  void AddSourceDisksFiles(const std::wstring& infPath);
  std::wstring DirIdToPath(int id) { return m_dirIds.Lookup(id, m_platform); }

  InfPlatform& m_platform;

 private:
  // Each name N of the list: its file-list section's lines behind its
  // destination folder, or the folder and N when no such section exists.
  void AddCopyFilesEntries(const std::vector<std::wstring>& names, const std::wstring& infPath);
  // The CopyFiles names of a section, to the end test of each line.
  void ScanCopyFiles(const std::wstring& infPath, const std::wstring& header, std::vector<std::wstring>& names);

  DirIdCache& m_dirIds;
  InfTexts m_infTexts;
};

}  // namespace velkor
