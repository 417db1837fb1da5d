#pragma once
// The backup run: the backup page's worker. It empties the working folder,
// has the driver collection copy the chosen devices' drivers into it, packs
// the folder into one dated archive in the backup folder, enters the archive
// in the backup list, deletes the working folder and shows a summary. The
// install sequence's backup dialog takes its backup with the same calls
// (PrepareFolders, RunBackupBeforeInstall, CompressBackup).
//
// A flow (core/flow_host.hpp): what the run shows and asks goes through
// BackupView (BackupProgressView for the install's dialog), what it needs from
// the system through BackupParts, and it works on the members of the
// application state named in BackupLinks. The page's Stop button is the flow
// host's stop request with the backup's kind (19); the run's done and stopped
// flags are set by OnStopAnswered on the stop thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "backup/backup_restore.hpp"
#include "backup/zip_file_system.hpp"
#include "base/time_text.hpp"
#include "core/flow_host.hpp"
#include "core/list_file.hpp"
#include "core/stop_request.hpp"
#include "inventory/device_record.hpp"

namespace velkor {

inline constexpr wchar_t kBackupStarting[] = L"Please wait while the backup starts...";
inline constexpr wchar_t kBackupCompressing[] = L"Please wait while the backup is being compressed...";
inline constexpr wchar_t kBackupCannotBeSaved[] =
    L"Unable to save backup file. \nPlease select another location to save backup file.";
inline constexpr wchar_t kBackupNothingSelected[] = L"Please select atleast one item for backup.";
inline constexpr wchar_t kBackupAdministratorQuestion[] =
    L"It is recommended to restart Velkor in administrator mode for backup purpose.";
// The page's one-shot timers after the summary and what each shows.
inline constexpr unsigned kBackupResultDelayMs = 64;
inline constexpr int kTimerBackupAborted = 201080;
inline constexpr int kTimerBackupCompleted = 160208;
inline constexpr wchar_t kBackupAbortedMessage[] = L"Backup Aborted.";
inline constexpr wchar_t kBackupCompletedMessage[] = L"Backup Completed Successfully.";
// The summary's captions, in the order they are shown.
inline constexpr const wchar_t* kBackupSummaryCaptions[4] = {L"Total Drivers:", L"Drivers selected for Backup:",
                                                             L"Backup Done:", L"Backup Not Done:"};
// The archive's name: this, the local time ("%Y%m%d%I_%M%S%p") and ".zip".
inline constexpr wchar_t kBackupArchivePrefix[] = L"Velkor DriverBackup-";

// Where the engine's reports go: the backup page, or the install's backup
// dialog. Every call comes from the worker thread.
class BackupProgressView {
 public:
  virtual ~BackupProgressView() = default;
  // The status label and the device label.
  virtual void SetStatusText(const std::wstring& text) = 0;
  virtual void SetDeviceText(const std::wstring& text) = 0;
  // The next device: its name in the status label and its class in the
  // device label. Reported once per device; the next report overwrites it.
  virtual void ShowCurrentDevice(const std::wstring& name, const std::wstring& classDescription) = 0;
  // The progress bar, 0..100; the next report overwrites it.
  virtual void SetProgress(int percent) = 0;
};

// The summary's four values, beside kBackupSummaryCaptions.
struct BackupSummary {
  std::wstring total;
  std::wstring selected;
  std::wstring done;
  std::wstring notDone;
};

// What the backup page shows and asks.
class BackupView : public BackupProgressView {
 public:
  // A box titled with the application name, with the information icon when
  // asked for.
  virtual void ShowMessage(const std::wstring& text, bool informationIcon) = 0;
  // A Yes/No question with the information icon; true for Yes.
  virtual bool AskYesNo(const std::wstring& text) = 0;
  // The run begins: the device tree and the buttons other than Stop hidden
  // or disabled, the progress controls shown, Stop enabled.
  virtual void ShowRunControls() = 0;
  // The text under the page's heading, by its key in the text table.
  virtual void SetDescription(const wchar_t* textKey) = 0;
  virtual void SetStopEnabled(bool enabled) = 0;
  virtual void SetBackupEnabled(bool enabled) = 0;
  // The device numbers of the checked tree items that carry one, depth
  // first; none when there is no device tree.
  virtual std::optional<std::vector<std::int32_t>> CheckedDevices() = 0;
  // The progress controls hidden, the captions and these values shown.
  virtual void ShowSummary(const BackupSummary& summary) = 0;
  // Starts the page's one-shot timer: kBackupResultDelayMs later it shows
  // kBackupAbortedMessage (kTimerBackupAborted) or kBackupCompletedMessage.
  virtual void StartResultTimer(int timerId) = 0;
};

// What the run needs from the system.
class BackupParts {
 public:
  virtual ~BackupParts() = default;
  virtual LocalTime Now() = 0;
  // An administrator with full rights (elevated where the system elevates).
  virtual bool IsFullAdministrator() = 0;
  virtual int WindowsMajorVersion() = 0;
  // Starts this program again elevated on the backup page ("2"); true when
  // the shell reports success.
  virtual bool RelaunchElevated() = 0;
  // Ends the process at once (a fake records the call and returns).
  virtual void EndProcess() = 0;
  // The setting "BackupLoc".
  virtual std::wstring ReadBackupLocation() = 0;
  // The files the run lists, packs, creates and deletes.
  virtual ZipFileSystem& Files() = 0;
  // Deletes a folder (no final backslash) with everything in it, silently.
  virtual bool DeleteFolderTree(const std::wstring& folder) = 0;
  // Bytes available to this user on the volume of folder; none when the
  // system cannot tell (no such drive or folder).
  virtual std::optional<std::uint64_t> FreeBytes(const std::wstring& folder) = 0;
  // The engine wrapper: redirection off, a CBackupRestore, BackupDrivers,
  // redirection back; 33 when an exception escaped.
  virtual std::int32_t BackUpDrivers(const std::wstring& folder, std::span<const DeviceRecord> devices,
                                     const BackupProgress& progress) = 0;
  // Writes the backup list to "Backup.dat".
  virtual bool SaveBackupList() = 0;
};

// The members of the application state the run works on.
struct BackupLinks {
  const RecordTable& devices;       // the inventory of the last scan
  const std::int32_t& deviceCount;  // 0: no inventory
  std::wstring& tempFolder;         // the working folder, ending in a backslash
  std::wstring& backupFolder;       // where archives go, ending in a backslash
  StringMap& backupList;            // archive name to archive path
  bool& backupAll;                  // the back-up-all flag
};

// How a page run ended, for the console and for tests.
struct BackupOutcome {
  bool relaunched = false;        // an elevated instance took over; nothing else ran
  std::int32_t engineResult = 0;  // 32, 19 or 33 (0: the engine did not run)
  int compressResult = 0;         // 1, -1 (0: not called)
  bool stopped = false;           // the summary's stopped form
  std::wstring archivePath;       // the archive written, empty when none
  BackupSummary summary;
};

// What the install's backup dialog asks RunBackupBeforeInstall for.
struct InstallBackupRequest {
  bool severalDevices = false;  // the back-up-all flag of the install's routes
  std::wstring deviceNumbers;   // several: the numbers as decimal text joined by "|"
  std::int32_t device = -1;     // otherwise the device being installed
};
struct InstallBackupResult {
  std::int32_t engineResult = 0;  // 32, 19, 33; 0 when nothing ran (no inventory)
  // For m_bInstallBackupDone: set with several devices when the backup
  // completed, cleared when it was stopped; none otherwise.
  std::optional<bool> installBackupDone;
};

// The inventory's devices grouped as the device tree shows them: one group
// per class description in the order of first appearance, each with its
// devices' numbers in number order.
struct BackupTreeClass {
  std::wstring classDescription;
  std::vector<std::int32_t> devices;
};
std::vector<BackupTreeClass> GroupDevicesByClass(const RecordTable& devices, std::int32_t count);

// "Velkor DriverBackup-2026120809_1530PM.zip".
std::wstring BackupArchiveName(const LocalTime& time);

class BackupRun {
 public:
  BackupRun(BackupParts& parts, BackupLinks links, StopRequest& stop) : parts_(parts), links_(links), stop_(stop) {}

  // The backup page's worker, run by the flow host: the whole run in order.
  // KeepOperation when an elevated instance takes over (the process is
  // ending, navigation stays off).
  FlowEnd Run(BackupView& view, BackupOutcome& outcome);

  // The stop thread's answer (FlowHost::RequestStop with kStopBackup): when
  // the engine acknowledged, the run counts as done and stopped; when the
  // wait timed out, as neither.
  void OnStopAnswered(bool acknowledged);

  // For the install's backup dialog, on its worker, in this order:
  //   PrepareFolders(); RunBackupBeforeInstall(dialog, request); then, when
  //   m_bDone: with the dialog's stopped flag DeleteWorkingFolder(), else
  //   CompressBackup(false), -1 meaning kBackupCannotBeSaved.
  // Empties the working folder (deleted and made again) and settles the
  // backup folder from the setting "BackupLoc".
  void PrepareFolders();
  InstallBackupResult RunBackupBeforeInstall(BackupProgressView& dialog, const InstallBackupRequest& request);
  // Packs the working folder into a dated archive in the backup folder and
  // enters it in the backup list (skipped when skipPacking), then deletes the
  // working folder. 1 on success or when nothing had to be packed; -1 when the
  // volume has less room than the collected files or the archive cannot be
  // written (the working folder then stays).
  int CompressBackup(bool skipPacking);
  void DeleteWorkingFolder();

  // The run's state, written by the worker and the stop thread.
  std::atomic<bool> m_bDone{false};
  std::atomic<bool> m_bStopped{false};
  std::atomic<std::int32_t> m_nChosen{0};
  std::atomic<std::int32_t> m_nStarted{0};
  // The archive the last CompressBackup wrote (empty when none).
  std::wstring m_strArchivePath;

 private:
  void RunBackup(BackupView& view);
  std::int32_t RunEngine(const std::vector<DeviceRecord>& devices, BackupProgressView& view);
  // The page's stopped flag: the Stop button, or a failed packing.
  bool PageStopped() const { return stop_.Pressed() || packingFailed_; }
  BackupSummary Summary(bool stopped) const;
  void CreateFolders(const std::wstring& folder);
  std::uint64_t CollectedBytes(const std::wstring& folder, int depth);

  BackupParts& parts_;
  BackupLinks links_;
  StopRequest& stop_;
  bool packingFailed_ = false;
};

}  // namespace velkor
