#include "backup/backup_run.hpp"

#include <algorithm>

#include "backup/backup_index.hpp"
#include "backup/zip_archive.hpp"
#include "base/text.hpp"
#include "core/administrator_advice.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {
namespace {

// The files the free-space test leaves out: the index and the shell's folder
// settings are small and always there.
bool IsUncountedFile(const std::wstring& name) {
  return AsciiEqualsNoCase(name, L"desktop.ini") || AsciiEqualsNoCase(name, kIndexFileName);
}

// Folders below the working folder: device folders, and what a driver's own
// subfolders bring into the driver store's copies. No deeper tree is real.
constexpr int kMaxFolderDepth = 64;

std::wstring Drivers(std::int32_t count) { return std::to_wstring(count) + L" driver(s)"; }

std::wstring WithoutFinalBackslash(std::wstring folder) {
  while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

// A copy for the engine of the fields it reads and writes to the index;
// Spare and Tag stay empty and 0.
DeviceRecord CopyForBackup(const DeviceRecord& device) {
  DeviceRecord copy;
  copy.Name = device.Name;
  copy.InfPath = device.InfPath;
  copy.DriverVersion = device.DriverVersion;
  copy.ClassDescription = device.ClassDescription;
  copy.Provider = device.Provider;
  copy.HardwareId = device.HardwareId;
  copy.DriverKey = device.DriverKey;
  copy.DriverDate = device.DriverDate;
  copy.Service = device.Service;
  copy.Signer = device.Signer;
  return copy;
}

// A device number written by the program itself: decimal digits only.
std::optional<std::int32_t> DeviceNumber(std::wstring_view text) {
  const std::wstring trimmed = Trim(text);
  if (trimmed.empty() || trimmed.size() > 9) return std::nullopt;
  for (const wchar_t c : trimmed) {
    if (c < L'0' || c > L'9') return std::nullopt;
  }
  return ParseDecimal(trimmed);
}

}  // namespace

std::vector<BackupTreeClass> GroupDevicesByClass(const RecordTable& devices, std::int32_t count) {
  std::vector<BackupTreeClass> classes;
  for (std::int32_t number = 0; number < count; ++number) {
    const DeviceRecord* device = devices.Slot(number);
    if (device == nullptr) break;
    auto group = std::find_if(classes.begin(), classes.end(), [&](const BackupTreeClass& c) {
      return c.classDescription == device->ClassDescription;
    });
    if (group == classes.end()) group = classes.insert(classes.end(), {device->ClassDescription, {}});
    group->devices.push_back(number);
  }
  return classes;
}

std::wstring BackupArchiveName(const LocalTime& time) {
  return kBackupArchivePrefix + FormatBackupStamp(time) + L".zip";
}

FlowEnd BackupRun::Run(BackupView& view, BackupOutcome& outcome) {
  // Without full rights the class keys cannot be opened (they are opened for
  // writing too) and the drivers are found only through their INF names.
  if (!parts_.IsFullAdministrator()) {
    if (parts_.WindowsMajorVersion() < kFirstElevatingWindowsMajor) {
      view.ShowMessage(kAdministratorLoginAdvice, true);
    } else if (view.AskYesNo(kBackupAdministratorQuestion) && parts_.RelaunchElevated()) {
      outcome.relaunched = true;
      parts_.EndProcess();
      return FlowEnd::KeepOperation;
    }
  }

  view.SetProgress(0);
  m_bDone = false;
  m_bStopped = false;
  stop_.Forget();
  packingFailed_ = false;
  view.ShowRunControls();
  view.SetDescription(L"IDS_BACKUP_DESC2");
  view.SetStatusText(kBackupStarting);

  PrepareFolders();
  try {
    RunBackup(view);
  } catch (...) {
    // The run ends without its done flag: nothing is packed, and the summary
    // shows the counts reached.
  }
  view.SetDeviceText(L"");

  if (m_bDone) {
    if (!PageStopped()) view.SetStatusText(kBackupCompressing);
    view.SetStopEnabled(false);
    view.SetBackupEnabled(false);
    outcome.compressResult = CompressBackup(PageStopped());
    if (outcome.compressResult == -1) {
      packingFailed_ = true;
      view.ShowMessage(kBackupCannotBeSaved, false);
    }
  }

  outcome.stopped = PageStopped();
  outcome.summary = Summary(outcome.stopped);
  outcome.archivePath = outcome.compressResult == 1 ? m_strArchivePath : std::wstring();
  view.SetDescription(outcome.stopped ? L"IDS_BACKUP_DESC4" : L"IDS_BACKUP_DESC3");
  view.ShowSummary(outcome.summary);
  if (outcome.stopped) {
    view.StartResultTimer(kTimerBackupAborted);
    stop_.Forget();
    packingFailed_ = false;
  } else {
    view.StartResultTimer(kTimerBackupCompleted);
  }

  links_.backupAll = false;
  m_bStopped = false;
  return FlowEnd::Done;
}

void BackupRun::OnStopAnswered(bool acknowledged) {
  m_bDone = acknowledged;
  m_bStopped = acknowledged;
}

void BackupRun::PrepareFolders() {
  if (parts_.Files().Probe(WithoutFinalBackslash(links_.tempFolder)) != PathKind::Missing) DeleteWorkingFolder();
  CreateFolders(links_.tempFolder);

  std::wstring location = parts_.ReadBackupLocation();
  if (location.empty()) return;
  if (location.back() != L'\\') location += L'\\';
  if (parts_.Files().Probe(WithoutFinalBackslash(location)) == PathKind::Missing) CreateFolders(location);
  links_.backupFolder = location;
}

void BackupRun::DeleteWorkingFolder() { parts_.DeleteFolderTree(WithoutFinalBackslash(links_.tempFolder)); }

void BackupRun::CreateFolders(const std::wstring& folder) {
  // Each missing level in turn, from the first that is missing.
  std::vector<std::wstring> missing;
  for (std::wstring path = WithoutFinalBackslash(folder); !path.empty();) {
    if (parts_.Files().Probe(path) != PathKind::Missing) break;
    missing.push_back(path);
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) break;
    path.resize(slash);
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!parts_.Files().MakeFolder(*level)) return;
  }
}

void BackupRun::RunBackup(BackupView& view) {
  m_bDone = false;
  m_bStopped = false;
  m_nChosen = 0;
  m_nStarted = 0;
  view.SetProgress(0);
  CreateFolders(links_.tempFolder);

  const std::optional<std::vector<std::int32_t>> checked = view.CheckedDevices();
  if (!checked) return;
  std::vector<DeviceRecord> chosen;
  if (links_.backupAll) {
    for (std::int32_t number = 0; number < links_.deviceCount; ++number) {
      if (const DeviceRecord* device = links_.devices.Slot(number)) chosen.push_back(CopyForBackup(*device));
    }
  } else {
    for (const std::int32_t number : *checked) {
      const DeviceRecord* device = links_.devices.Slot(number);
      if (device != nullptr && number < links_.deviceCount) chosen.push_back(CopyForBackup(*device));
    }
  }
  m_nChosen = static_cast<std::int32_t>(chosen.size());

  const std::int32_t result = RunEngine(chosen, view);
  if (result == kResultBackupStopped) m_bStopped = true;
  m_bDone = true;
}

InstallBackupResult BackupRun::RunBackupBeforeInstall(BackupProgressView& dialog,
                                                      const InstallBackupRequest& request) {
  m_bDone = false;
  m_bStopped = false;
  m_nChosen = 0;
  m_nStarted = 0;
  dialog.SetProgress(0);
  InstallBackupResult result;
  if (links_.deviceCount <= 0) return result;

  std::vector<DeviceRecord> chosen;
  if (request.severalDevices) {
    for (const std::wstring& text : SplitText(request.deviceNumbers, L'|')) {
      const std::optional<std::int32_t> number = DeviceNumber(text);
      const DeviceRecord* device = number ? links_.devices.Slot(*number) : nullptr;
      if (device != nullptr && *number < links_.deviceCount) chosen.push_back(CopyForBackup(*device));
    }
  } else if (const DeviceRecord* device = links_.devices.Slot(request.device);
             device != nullptr && request.device < links_.deviceCount) {
    dialog.SetStatusText(device->Name);
    dialog.SetDeviceText(device->ClassDescription);
    chosen.push_back(CopyForBackup(*device));
  }
  m_nChosen = static_cast<std::int32_t>(chosen.size());

  result.engineResult = RunEngine(chosen, dialog);
  if (result.engineResult == kResultCompleted && request.severalDevices) result.installBackupDone = true;
  if (result.engineResult == kResultBackupStopped) {
    m_bStopped = true;
    if (request.severalDevices) result.installBackupDone = false;
  }
  m_bDone = true;
  return result;
}

std::int32_t BackupRun::RunEngine(const std::vector<DeviceRecord>& devices, BackupProgressView& view) {
  const BackupProgress progress = [this, &view](std::span<const DeviceRecord> announced, int percent) {
    // The device whose turn it is: as many have been announced before it.
    if (!announced.empty()) {
      const std::int32_t started = m_nStarted;
      if (started >= 0 && static_cast<std::size_t>(started) < announced.size()) {
        const DeviceRecord& next = announced[static_cast<std::size_t>(started)];
        view.ShowCurrentDevice(next.Name, next.ClassDescription);
      }
      m_nStarted = started + 1;
    }
    view.SetProgress(percent);
  };
  return parts_.BackUpDrivers(links_.tempFolder, devices, progress);
}

int BackupRun::CompressBackup(bool skipPacking) {
  ZipFileSystem& files = parts_.Files();
  m_strArchivePath.clear();
  const std::optional<std::uint64_t> freeBytes = parts_.FreeBytes(links_.backupFolder);
  if (!freeBytes || *freeBytes < CollectedBytes(links_.tempFolder, 0)) return -1;

  if (!skipPacking) {
    const std::wstring name = BackupArchiveName(parts_.Now());
    const std::wstring path = links_.backupFolder + name;
    ZipHandle archive = ZipCreate(files, path);
    if (!archive) return -1;
    // A file that cannot be read is left out; the others still make a backup.
    ZipAddFolder(archive, links_.tempFolder);
    // An archive whose writing failed (the volume full, say) is no backup: it
    // is removed rather than listed.
    if (ZipClose(archive) != kZipOk) {
      files.RemoveFile(path);
      return -1;
    }
    m_strArchivePath = path;
    // Two backups within one second have one name: the second replaced the
    // first, and the list keeps its one entry.
    links_.backupList.emplace(name, path);
    parts_.SaveBackupList();
  }
  if (files.Probe(WithoutFinalBackslash(links_.tempFolder)) != PathKind::Missing) DeleteWorkingFolder();
  return 1;
}

std::uint64_t BackupRun::CollectedBytes(const std::wstring& folder, int depth) {
  ZipFileSystem& files = parts_.Files();
  std::uint64_t total = 0;
  for (const FolderItem& item : files.ListFolder(folder)) {
    if (item.kind == PathKind::File && !IsUncountedFile(item.name)) {
      FileFacts facts;
      if (files.OpenFile(folder + item.name, facts)) total += facts.size;
    } else if (item.kind == PathKind::Folder && depth < kMaxFolderDepth) {
      total += CollectedBytes(folder + item.name + L"\\", depth + 1);
    }
  }
  return total;
}

BackupSummary BackupRun::Summary(bool stopped) const {
  BackupSummary summary;
  if (links_.deviceCount > 0) summary.total = Drivers(links_.deviceCount);
  if (m_nChosen > 0) summary.selected = Drivers(m_nChosen);
  if (stopped) {
    summary.done = L"Backup Aborted";
    summary.notDone = L"Backup Aborted";
  } else if (m_nStarted > 0) {
    summary.done = L"Backup of " + std::to_wstring(m_nStarted.load()) + L" driver(s) completed succesfully";
    summary.notDone = L"--";
  }
  return summary;
}

}  // namespace velkor
