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
// The driver collection (driver_collection.cpp) copies each chosen device's
// driver files into a folder of its own below a backup folder and describes
// the device in the folder's index (BackupDrivers): the files come from the
// driver store on OS version code 6, else from ParseInf, and a file that is
// not where the INF says is searched for under the Windows folder and then
// the whole system drive. It needs the fuller BackupPlatform and the engine's
// stop handshake, handed to the second constructor.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_platform.hpp"
#include "backup/dir_id_path.hpp"
#include "backup/inf_platform.hpp"
#include "backup/inf_text.hpp"
#include "inventory/device_record.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {

// The engine's progress report: the devices being backed up when the next one
// is announced (the page shows the next device), else empty (only the
// percentage moves).
using BackupProgress = std::function<void(std::span<const DeviceRecord> devices, int percent)>;

class CBackupRestore;

// The engine wrapper's body: a CBackupRestore for this call only, its
// BackupDrivers, and 33 when an exception escapes (nothing is passed on).
std::int32_t BackupDriversGuarded(BackupPlatform& platform, StopHandshake& stop, const std::wstring& folder,
                                  std::span<const DeviceRecord> devices, const BackupProgress& progress) noexcept;

class CBackupRestore {
 public:
  // Takes the Windows folder from the platform. The directory-id cache is the
  // process's unless a test brings its own.
  explicit CBackupRestore(InfPlatform& platform, DirIdCache& dirIds = ProcessDirIdCache());
  // The whole engine: the INF reader and the driver collection.
  CBackupRestore(BackupPlatform& platform, StopHandshake& stop, DirIdCache& dirIds = ProcessDirIdCache());
  CBackupRestore(const CBackupRestore&) = delete;
  CBackupRestore& operator=(const CBackupRestore&) = delete;

  // Copies the driver files of each device into backupFolder + its folder
  // name + "\" and appends the device to backupFolder + "index.dat" (the
  // folder must exist; a missing final backslash is added). 32 when every
  // device was processed, 19 when a stop was asked for and acknowledged, 33
  // when it was asked for but could not be acknowledged. Needs the second
  // constructor (33 without it).
  std::int32_t BackupDrivers(const std::wstring& backupFolder, std::span<const DeviceRecord> devices,
                             const BackupProgress& progress);
  // Looks for m_strSoughtName below folder (which ends in a backslash):
  // subfolders first, depth first, then the folder's own file. 1 when found
  // (m_strFoundPath holds it), 0 when not, 19 when a stop was asked for.
  // Reparse points are never gone through. In driver-store mode every item met
  // is appended to m_arrDriverStore.
  int FindFileRecursive(const std::wstring& folder);
  // Whether the index holds a record whose first text equals name.
  bool IsDeviceInIndex(const std::wstring& indexPath, const std::wstring& name);

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

  // Driver collection state.
  int m_bDriverStoreMode = 0;  // 1 while the current device is handled through the driver store
  int m_bSkipWindowsDir = 0;   // 1 while a search walks the drive after the Windows folder
  std::wstring m_strSoughtName;
  std::wstring m_strFoundPath;
  std::vector<std::wstring> m_arrSetupApiLines;  // the setup log's matching lines, lower-cased

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

  // Driver collection steps (driver_collection.cpp).
  // Steps after the device's announcement: 0, or the stop's result.
  std::int32_t BackUpDevice(const DeviceRecord& device, const std::wstring& backupFolder,
                            const std::wstring& indexPath);
  // The INF name, section and decoration of the device's driver: its class
  // key, else its own INF path.
  ClassKeyValues DriverNames(const DeviceRecord& device);
  // Every item below the driver store, once per engine; driver-store mode off
  // when there is no driver store.
  void FillDriverStore();
  void AddDriverStoreFiles(const std::wstring& infName);
  void AddFilesFromSetupLog(const std::wstring& infName);
  std::int32_t CopyEntry(const std::wstring& entry, const std::wstring& deviceFolder);
  // FindFileRecursive from root for the sought name, once per root and name
  // in the life of the engine; 1 found, 0 not, 19 stop asked for.
  int SearchOnce(const std::wstring& root);
  int Search(const std::wstring& folder, int depth);
  void AppendRecord(const std::wstring& indexPath, const DeviceRecord& device, const std::wstring& relativeFolder);
  // 0, or 19 (33 when the acknowledgement failed) when a stop was asked for.
  std::int32_t StopCheck();
  bool StopAsked() const;
  void ProgressStep(std::span<const DeviceRecord> announced);

  DirIdCache& m_dirIds;
  InfTexts m_infTexts;
  BackupPlatform* m_pBackupPlatform = nullptr;
  StopHandshake* m_pStop = nullptr;
  // Progress of the running BackupDrivers.
  const BackupProgress* m_pProgress = nullptr;
  std::int64_t m_nProgressStep = 0;
  std::int64_t m_nProgressSteps = 1;
  // Searches already made: (root, lower-cased name) to the path found, if any.
  std::map<std::pair<std::wstring, std::wstring>, std::optional<std::wstring>> m_Searches;
};

}  // namespace velkor
