// BackupDrivers and its steps: for each device the names of its driver from
// the class key, its files from the driver store (OS version code 6) or from
// its INF file, the copies into the device's folder, and its index record.
// Five progress steps per device; a stop is checked between the steps, before
// every copy and before every item of a file search.

#include <algorithm>

#include "backup/backup_index.hpp"
#include "backup/backup_restore.hpp"
#include "backup/string_file.hpp"
#include "backup/zip_entry_name.hpp"
#include "base/text.hpp"

namespace velkor {
namespace {

constexpr int kStepsPerDevice = 5;
constexpr wchar_t kDriverStoreFolder[] = L"\\DriverStore\\FileRepository\\";
constexpr wchar_t kSetupLog[] = L"\\inf\\setupapi.dev.log";
// A driver store holds some tens of thousands of items; these bound what a
// damaged or hostile tree can make the engine keep or walk.
constexpr std::size_t kMaxDriverStoreItems = std::size_t{1} << 18;
constexpr std::size_t kMaxSetupLogLines = 8192;
// Paths of the system's file functions hold at most 260 characters, so no
// real tree is deeper; a deeper one is not walked further.
constexpr int kMaxSearchDepth = 128;

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

// Substring test with ASCII letter case aside, as the system compares file
// names (the setup log's lines are lower-cased, the driver store's are not).
bool ContainsNoCase(std::wstring_view text, std::wstring_view part) {
  return Contains(AsciiToLower(text), AsciiToLower(part));
}

// The text after the last separator of either kind.
std::wstring_view FileNamePart(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Whether folder (ending in a backslash) is root or lies below it, letter case aside.
bool IsWithinFolder(std::wstring_view folder, std::wstring_view root) {
  if (root.empty()) return false;
  const std::wstring prefix = AsciiToLower(root) + (root.back() == L'\\' ? L"" : L"\\");
  return AsciiToLower(folder).rfind(prefix, 0) == 0;
}

void Append(std::vector<std::wstring>& list, std::wstring value, std::size_t limit = kMaxInfListEntries) {
  if (list.size() < limit) list.push_back(std::move(value));
}

}  // namespace

std::int32_t BackupDriversGuarded(BackupPlatform& platform, StopHandshake& stop, const std::wstring& folder,
                                  std::span<const DeviceRecord> devices, const BackupProgress& progress) noexcept {
  try {
    CBackupRestore engine(platform, stop);
    return engine.BackupDrivers(folder, devices, progress);
  } catch (...) {
    return kResultFailed;
  }
}

CBackupRestore::CBackupRestore(BackupPlatform& platform, StopHandshake& stop, DirIdCache& dirIds)
    : CBackupRestore(static_cast<InfPlatform&>(platform), dirIds) {
  m_pBackupPlatform = &platform;
  m_pStop = &stop;
}

std::int32_t CBackupRestore::BackupDrivers(const std::wstring& backupFolder, std::span<const DeviceRecord> devices,
                                           const BackupProgress& progress) {
  if (m_pBackupPlatform == nullptr || m_pStop == nullptr) return kResultFailed;
  std::wstring folder = backupFolder;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  const std::wstring indexPath = folder + kIndexFileName;

  m_pProgress = &progress;
  m_nProgressStep = 0;
  m_nProgressSteps = std::max<std::int64_t>(1, static_cast<std::int64_t>(devices.size()) * kStepsPerDevice);

  const bool vista = m_platform.OsVersionCode() == 6;
  m_bDriverStoreMode = 0;
  if (vista) {
    m_bDriverStoreMode = 1;
    FillDriverStore();
  }

  for (const DeviceRecord& device : devices) {
    if (vista) m_bDriverStoreMode = 1;
    if (const std::int32_t stop = StopCheck()) return stop;
    ProgressStep(devices);  // the page shows this device
    if (const std::int32_t stop = StopCheck()) return stop;
    if (device.Name.empty() && device.DriverKey.empty()) continue;
    if (const std::int32_t stop = BackUpDevice(device, folder, indexPath)) return stop;
  }
  if (progress) progress({}, 100);
  m_pProgress = nullptr;
  return kResultCompleted;
}

void CBackupRestore::FillDriverStore() {
  const std::wstring store = m_platform.SpecialFolder(kCsidlSystem) + kDriverStoreFolder;
  if (!m_platform.FileExists(store)) {
    m_bDriverStoreMode = 0;
    return;
  }
  if (!m_arrDriverStore.empty()) return;  // once per engine
  // Nothing is sought: the walk meets, and keeps, every item. A stop seen
  // here is acknowledged by the first device's stop check.
  m_strSoughtName.clear();
  FindFileRecursive(store);
}

std::int32_t CBackupRestore::BackUpDevice(const DeviceRecord& device, const std::wstring& backupFolder,
                                          const std::wstring& indexPath) {
  const std::wstring folderName = BackupFolderName(device.Name);
  const std::wstring deviceFolder = backupFolder + folderName + L"\\";
  const std::wstring relativeFolder = folderName + L"\\";
  m_pBackupPlatform->CreateFolder(deviceFolder);

  const ClassKeyValues names = DriverNames(device);
  if (const std::int32_t stop = StopCheck()) return stop;
  if (!names.infPath.empty()) {
    if (m_bDriverStoreMode) {
      m_arrFiles.clear();
      AddDriverStoreFiles(names.infPath);
      if (const std::int32_t stop = StopCheck()) return stop;
      if (m_arrFiles.empty() && Contains(AsciiToLower(names.infPath), L"oem")) AddFilesFromSetupLog(names.infPath);
      if (m_arrFiles.empty()) m_bDriverStoreMode = 0;
    }
    if (!m_bDriverStoreMode) ParseInf(names.infPath, names.section, names.sectionExt);

    if (const std::int32_t stop = StopCheck()) return stop;
    ProgressStep({});
    for (const std::wstring& entry : m_arrFiles) {
      if (const std::int32_t stop = CopyEntry(entry, deviceFolder)) return stop;
    }
    ProgressStep({});
    // The record names the device: a second device of the same name shares
    // the folder and the record.
    if (!IsDeviceInIndex(indexPath, device.Name)) AppendRecord(indexPath, device, relativeFolder);
  }
  if (const std::int32_t stop = StopCheck()) return stop;
  ProgressStep({});
  return 0;
}

ClassKeyValues CBackupRestore::DriverNames(const DeviceRecord& device) {
  ClassKeyValues names;
  // Without a driver key there is no class key of the device (the class root
  // holds no driver values).
  if (!device.DriverKey.empty()) {
    if (std::optional<ClassKeyValues> read = m_pBackupPlatform->ReadClassKey(device.DriverKey)) names = *read;
  }
  // The value names a file in the system INF folder; one that could lead out
  // of it is not taken.
  if (!names.infPath.empty() && !IsPlainFileName(names.infPath)) names.infPath.clear();
  if (names.infPath.empty()) names.infPath = device.InfPath;
  // Packages in the driver store keep their own INF names; the oemN.inf copy
  // is only the published one.
  if (m_bDriverStoreMode && Contains(AsciiToLower(names.infPath), L"oem")) names.infPath = device.InfPath;
  if (!m_platform.FileExists(m_strWindowsDir + L"\\inf\\" + names.infPath)) {
    names.infPath = std::wstring(FileNamePart(device.InfPath));
  }
  return names;
}

void CBackupRestore::AddDriverStoreFiles(const std::wstring& infName) {
  const std::wstring wanted = L"\\" + infName;
  for (const std::wstring& item : m_arrDriverStore) {
    if (ContainsNoCase(item, wanted)) Append(m_arrFiles, item, kMaxDriverStoreItems);
  }
}

void CBackupRestore::AddFilesFromSetupLog(const std::wstring& infName) {
  m_arrSetupApiLines.clear();
  const std::wstring wantedInf = AsciiToLower(m_strWindowsDir + L"\\inf\\" + infName);
  CStringFile log(m_platform);
  if (!log.Open(m_strWindowsDir + kSetupLog)) return;
  std::wstring line;
  std::wstring last;
  while (log.ReadString(line)) {
    std::wstring lower = AsciiToLower(line);
    if (!Contains(lower, L"idb:") || !Contains(lower, wantedInf)) continue;
    last = lower;
    Append(m_arrSetupApiLines, std::move(lower), kMaxSetupLogLines);
  }
  // "Published 'abc.inf_1a2b3c4d\abc.inf' to 'c:\windows\inf\oem5.inf'": the
  // first quoted text up to its backslash is the package's folder.
  const std::size_t quote = last.find(L'\'');
  if (quote == std::wstring::npos) return;
  const std::size_t slash = last.find(L'\\', quote + 1);
  const std::wstring store =
      last.substr(quote + 1, slash == std::wstring::npos ? std::wstring::npos : slash - quote - 1);
  // Only a folder name: an empty text, or a drive such as "c:" of a line that
  // quotes a full path first, would take in every package of the store.
  if (!IsPlainFileName(store)) return;
  for (const std::wstring& item : m_arrDriverStore) {
    if (ContainsNoCase(item, store)) Append(m_arrFiles, item, kMaxDriverStoreItems);
  }
}

std::int32_t CBackupRestore::CopyEntry(const std::wstring& entry, const std::wstring& deviceFolder) {
  if (const std::int32_t stop = StopCheck()) return stop;
  // A file-list line: destination name, source name, temporary name, flags.
  std::wstring source = entry;
  std::wstring secondName;
  if (const std::size_t comma = entry.find(L','); comma != std::wstring::npos) {
    source = entry.substr(0, comma);
    const std::size_t next = entry.find(L',', comma + 1);
    secondName = Trim(entry.substr(comma + 1, next == std::wstring::npos ? std::wstring::npos : next - comma - 1));
  }
  source.erase(std::remove(source.begin(), source.end(), L'@'), source.end());

  if (!m_bDriverStoreMode && !m_platform.FileExists(source)) {
    m_strSoughtName = Trim(FileNamePart(source));
    if (IsPlainFileName(m_strSoughtName)) {
      int found = SearchOnce(m_strWindowsDir + L"\\");
      if (found == 0) {
        const std::size_t slash = m_strWindowsDir.rfind(L'\\');
        if (slash != std::wstring::npos) {
          m_bSkipWindowsDir = 1;
          found = SearchOnce(m_strWindowsDir.substr(0, slash + 1));
          m_bSkipWindowsDir = 0;
        }
      }
      if (found == kResultBackupStopped) return StopCheck();
      if (found == 1) source = m_strFoundPath;
    }
  }

  // Only a path is a file that can be copied; its name stays in the folder.
  if (source.find(L'\\') == std::wstring::npos) return 0;
  const std::wstring name(FileNamePart(source));
  if (IsPlainFileName(name)) m_pBackupPlatform->CopyFileOver(source, deviceFolder + name);
  if (!secondName.empty() && IsPlainFileName(secondName)) {
    m_pBackupPlatform->CopyFileOver(source, deviceFolder + secondName);
  }
  return 0;
}

int CBackupRestore::SearchOnce(const std::wstring& root) {
  const auto key = std::make_pair(root, AsciiToLower(m_strSoughtName));
  if (const auto known = m_Searches.find(key); known != m_Searches.end()) {
    if (!known->second) return 0;
    m_strFoundPath = *known->second;
    return 1;
  }
  const int found = FindFileRecursive(root);
  if (found == kResultBackupStopped) return found;  // not searched to its end
  m_Searches[key] = found == 1 ? std::optional<std::wstring>(m_strFoundPath) : std::nullopt;
  return found;
}

int CBackupRestore::FindFileRecursive(const std::wstring& folder) {
  if (m_pBackupPlatform == nullptr) return 0;
  return Search(folder, 0);
}

int CBackupRestore::Search(const std::wstring& folder, int depth) {
  // Walking the drive after the Windows folder, that folder's tree is not
  // walked again (wherever its name is written in capitals, or not).
  const bool skipItems =
      m_bSkipWindowsDir && (Contains(folder, L"WINDOWS") || IsWithinFolder(folder, m_strWindowsDir));
  if (!skipItems) {
    for (const FolderItem& item : m_pBackupPlatform->ListFolder(folder)) {
      if (StopAsked()) return kResultBackupStopped;
      const std::wstring path = folder + item.name;
      if (m_bDriverStoreMode) Append(m_arrDriverStore, path, kMaxDriverStoreItems);
      // A junction or link may lead in a circle or onto another volume.
      if (item.kind != PathKind::Folder || depth >= kMaxSearchDepth) continue;
      // A stop seen further down is passed up as such, never as a find.
      if (const int found = Search(path + L"\\", depth + 1); found != 0) return found;
    }
  }
  if (m_strSoughtName.empty() || !m_platform.FileExists(folder + m_strSoughtName)) return 0;
  m_strFoundPath = folder + m_strSoughtName;
  return 1;
}

bool CBackupRestore::IsDeviceInIndex(const std::wstring& indexPath, const std::wstring& name) {
  const std::unique_ptr<ByteSource> index = m_platform.OpenShared(indexPath);
  return IndexHoldsName(index.get(), name);
}

void CBackupRestore::AppendRecord(const std::wstring& indexPath, const DeviceRecord& device,
                                  const std::wstring& relativeFolder) {
  std::vector<std::uint8_t> bytes;
  std::uint32_t sequence = 1;
  {
    const std::unique_ptr<ByteSource> existing = m_platform.OpenShared(indexPath);
    sequence = NextSequenceNumber(existing.get());
    // A file without any bytes gets the header too: records without one
    // could never be read back.
    if (!existing || existing->Size() == 0) bytes = EncodeIndexHeader();
  }
  ProgressStep({});
  const std::vector<std::uint8_t> record = EncodeIndexRecord(device, relativeFolder, sequence);
  bytes.insert(bytes.end(), record.begin(), record.end());
  m_pBackupPlatform->AppendToFile(indexPath, bytes);
}

bool CBackupRestore::StopAsked() const { return m_pStop != nullptr && m_pStop->ReadEngineState() == kStopBackup; }

std::int32_t CBackupRestore::StopCheck() {
  if (!StopAsked()) return 0;
  return m_pStop->AcknowledgeStop() ? kResultBackupStopped : kResultFailed;
}

void CBackupRestore::ProgressStep(std::span<const DeviceRecord> announced) {
  ++m_nProgressStep;
  if (m_pProgress == nullptr || !*m_pProgress) return;
  const std::int64_t percent = std::min<std::int64_t>(100, m_nProgressStep * 100 / m_nProgressSteps);
  (*m_pProgress)(announced, static_cast<int>(percent));
}

}  // namespace velkor
