#include "download/download_queue.hpp"

#include <utility>

#include "download/download_texts.hpp"
#include "download/download_url.hpp"
#include "download/folder_name.hpp"
#include "download/lookup_answer.hpp"
#include "lookup/result_rows.hpp"

namespace velkor {
namespace {

constexpr wchar_t kHeadingKey[] = L"IDS_DOWNLOAD_HEADING1_DESC1";
constexpr wchar_t kWaitDownloading[] = L"Please wait downloading will start in a moment...";
constexpr wchar_t kStartingInstall[] = L"Starting to install the driver...";
constexpr wchar_t kCheckConnection[] = L"Please check your Internet Connection and retry after sometime.";
constexpr wchar_t kSkipped[] = L"Download skipped...";
constexpr wchar_t kStoppedBox[] = L"Downloading stopped successfully.";
constexpr wchar_t kCompletedFor[] = L"Download completed successfully for driver - ";
constexpr wchar_t kStarting[] = L"Starting to download - ";
constexpr wchar_t kStoppedFor[] = L"Download stopped for driver - ";
constexpr wchar_t kDeletingPartial[] = L"Deleting partial download file for driver - ";
constexpr wchar_t kInternetProblem[] = L"Download aborted due to internet problem for driver - ";
constexpr wchar_t kUnableToSave[] = L"Download aborted. Unable to save driver - ";
constexpr wchar_t kSelectAnother[] = L"Please select another location to save driver downloads.";
constexpr wchar_t kCongrats[] = L"Congrats! You have updated all the drivers successfully.";
constexpr wchar_t kRestartDownload[] = L"Error in downloading... Please restart the download process.";
constexpr wchar_t kCompletedBox[] = L"Download Completed Successfully.";
constexpr wchar_t kConnectionErrorBox[] =
    L"Download aborted due to internet connection error. \nPlease check your internet connection and retry download "
    L"for drivers.";
constexpr wchar_t kUnableToSaveBox[] =
    L"Download aborted. Unable to save driver setup. \nPlease select another location to save driver downloads.";
constexpr wchar_t kStopWait[] = L"Please wait download will stop in a moment...";
constexpr wchar_t kStopLabel[] = L"Download Stoppped";

constexpr int kAbortingTransfer = 102;  // the transfer's "Aborting transfer"
constexpr int kPauseSteps = 1024;

}  // namespace

DownloadQueue::DownloadQueue(DownloadView& view, DownloadParts& parts, ScanResult& scan, StringMap& downloadList,
                             StopRequest& stop, std::wstring osCode)
    : m_osCode(std::move(osCode)), view_(view), parts_(parts), scan_(scan), list_(downloadList), stop_(stop) {}

void DownloadQueue::StartThread(DownloadOutcome& outcome) {
  outcome = {};
  outcome_ = &outcome;
  m_lastOk = true;
  m_okCount = 0;
  view_.SetProgress(0);
  view_.SetHeadingDescription(kHeadingKey);
}

FlowEnd DownloadQueue::DownloadOneThread(std::int32_t device, int row, DownloadOutcome& outcome) {
  StartThread(outcome);
  if (device == -1) {
    LogLine(kRestartDownload, true);
  } else {
    BeginRun(true);
    m_runTotal = m_runIndex = 1;
    const int code = DownloadDevice(device, -1);
    if (!outcome.devices.empty()) outcome.devices.back().row = row;
    if (StopRequested()) {
      outcome.stopped = true;
      stop_.Forget();
    } else if (m_lastOk) {
      if (row >= 0) view_.SetRowKind(row, kRowInstall);
      view_.ShowMessage(kCompletedBox);
    } else if (code == -2 || parts_.TransferOpenedFile()) {
      view_.ShowMessage(kConnectionErrorBox);
    } else {
      view_.ShowMessage(kUnableToSaveBox);
    }
  }
  EndRun();
  outcome_ = nullptr;
  return FlowEnd::Done;
}

FlowEnd DownloadQueue::DownloadAllThread(DownloadOutcome& outcome) {
  StartThread(outcome);
  EnsureFolder(parts_.DownloadFolder());
  BeginRun(true);

  std::int32_t toDownload = 0;
  for (const ResultRow& row : scan_.m_Rows) toDownload += row.kind == kRowDownload ? 1 : 0;
  m_runTotal = static_cast<float>(toDownload);
  m_runIndex = 0;

  if (toDownload > 0) {
    for (std::size_t row = 0; row < scan_.m_Rows.size(); ++row) {
      const std::int32_t device = scan_.DeviceOfRow(static_cast<int>(row));
      if (device < 0) continue;
      if (StopRequested()) break;
      if (KindOfRow(row) != kRowDownload) continue;
      m_runIndex += 1;
      parts_.PumpMessages();
      m_lastOk = true;
      DownloadDevice(device, static_cast<int>(row));
      if (StopRequested()) break;
      PauseAboutASecond();
      if (StopRequested()) break;
      if (m_lastOk) view_.SetRowKind(static_cast<int>(row), kRowInstall);
    }
  } else {
    bool anyDownloaded = false;
    for (const ResultRow& row : scan_.m_Rows) anyDownloaded = anyDownloaded || row.kind == kRowInstall;
    if (anyDownloaded) {
      m_okCount = 1;
    } else {
      view_.ClosePage();
      view_.ShowMessage(kCongrats);
    }
  }

  if (StopRequested()) {
    outcome.stopped = true;
    m_goInstall = false;
    stop_.Forget();
  } else {
    m_goInstall = m_okCount > 0;
  }
  EndRun();
  parts_.PumpMessages();
  outcome_ = nullptr;
  if (!m_goInstall) return FlowEnd::Done;
  outcome.installConfirmation = true;
  view_.OpenInstallConfirmation();
  return FlowEnd::KeepOperation;
}

int DownloadQueue::DownloadDevice(std::int32_t device, int row) {
  const std::wstring folder = parts_.DownloadFolder();
  m_lastReport.clear();
  const DeviceRecord* update = scan_.UpdateOf(device);
  // Without the service's key there is nothing to ask for: a skip, never a
  // success (the row would turn to Install with no package behind it).
  if (update == nullptr || update->ServerHardwareId.empty()) {
    LogLine(kSkipped, true);
    m_lastOk = false;
    Record(device, row, 2, {});
    return 2;
  }
  if (StopRequested()) {
    m_lastOk = false;
    Record(device, row, 0, {});
    return 0;
  }

  std::wstring answer;
  if (!parts_.DriverLookup(update->ServerHardwareId, m_osCode, answer)) {
    m_lastOk = false;
    if (StopRequested()) {
      Record(device, row, 0, {});
      return 0;
    }
    LogLine(kCheckConnection, true);
    Record(device, row, -2, {});
    return -2;
  }
  const LookupAnswer found = SplitLookupAnswer(answer);
  m_expectedMd5 = found.md5;
  if (StopRequested()) {
    m_lastOk = false;
    Record(device, row, 0, {});
    return 0;
  }
  // Only http and https addresses are fetched (one without a scheme is http).
  if (found.url.empty() || HasForeignScheme(found.url)) {
    LogLine(kSkipped, true);
    m_lastOk = false;
    Record(device, row, 2, {});
    return 2;
  }

  EnsureFolder(folder);
  const std::wstring extension = PackageExtension(found.url);
  if (StopRequested()) {
    view_.ShowMessage(kStoppedBox);
    m_lastOk = false;
    Record(device, row, 0, {});
    return 0;
  }

  const DeviceRecord* record = scan_.m_Devices.Slot(device);
  const std::wstring name = record != nullptr ? record->Name : std::wstring();
  const std::wstring key = DownloadFileKey(update->HardwareId);
  const std::wstring path = folder + key + extension;
  bool alreadyHere = false;
  if (list_.count(key) != 0) {
    if (!parts_.PathExists(path)) {
      list_.erase(key);
      parts_.SaveDownloadList();
    } else if (Md5Matches(parts_.FileMd5(path), m_expectedMd5, Md5Case::Exact)) {
      LogLine(kCompletedFor + name, true);
      alreadyHere = true;
    }
  }

  if (!alreadyHere) {
    m_deviceName = name;
    LogLine(kStarting + m_deviceName, true);
    const auto done = m_urlDone.find(found.url);
    const bool fetchedBefore = done != m_urlDone.end();
    const std::wstring obtained = fetchedBefore ? done->second : path;
    const bool ok = fetchedBefore || FetchAndVerify(found.url, path);
    if (ok) {
      ++m_okCount;
      m_filePercent = 100;
      m_lastOk = true;
      SetFilePercent(L"", 100);
      LogLine(kCompletedFor + name, true);
      if (list_.count(key) == 0) {
        list_[key] = obtained;
        if (!fetchedBefore) m_urlDone[found.url] = path;
        if (row >= 0) view_.SetRowKind(row, kRowInstall);
      }
      parts_.SaveDownloadList();
    } else if (StopRequested()) {
      view_.ShowMessage(kStoppedBox);
      LogLine(kStoppedFor + name, true);
      DeleteIfPresent(path);
      LogLine(kDeletingPartial + name, true);
      m_lastOk = false;
      Record(device, row, 0, {});
      return 0;
    } else {
      DeleteIfPresent(path);
      if (parts_.TransferOpenedFile()) {
        LogLine(kInternetProblem + name, true);
      } else {
        LogLine(kUnableToSave + name, true);
        LogLine(kSelectAnother, true);
      }
      m_lastOk = false;
    }
  }

  if (StopRequested()) m_urlDone.erase(found.url);
  const auto listed = list_.find(key);
  Record(device, row, 1, m_lastOk && listed != list_.end() ? listed->second : path);
  return 1;
}

bool DownloadQueue::FetchAndVerify(const std::wstring& url, const std::wstring& path) {
  if (url.empty() || path.empty()) return false;
  m_firstProgress = -1;
  std::wstring target = url;
  const std::optional<DownloadUrl> parsed = ParseDownloadUrlWithHttpRetry(target);
  // An address that does not read even with "http://" in front is a failed
  // download, never a good one.
  if (!parsed) return false;
  m_fileTitle = FileTitleOf(parsed->object);
  parts_.SetTransfer(target, path);

  parts_.ForgetCachedCopy(url);
  bool result = parts_.Download();
  parts_.ForgetCachedCopy(url);

  if (!Md5Matches(parts_.FileMd5(path), m_expectedMd5, Md5Case::Ignored)) {
    m_filePercent = 0;
    m_runPercent = m_runTotal > 0 && m_runIndex >= 0 ? (100.0f / m_runTotal) * (m_runIndex - 1) : 0;
    SetFilePercent(L"", 0);
    if (!StopRequested()) result = parts_.Download();
    if (!Md5Matches(parts_.FileMd5(path), m_expectedMd5, Md5Case::Ignored)) result = false;
  }
  m_filePercent = 100;
  SetFilePercent(L"", 100);
  parts_.ClearTransferAbort();
  return result;
}

void DownloadQueue::SetFilePercent(const std::wstring& text, float percent) {
  m_filePercent = percent;
  m_runPercent = OverallPercent(m_runTotal, m_runIndex, m_filePercent);
  view_.SetProgress(ProgressBarPosition(m_runPercent));
  if (!text.empty()) LogLine(text, true);
  parts_.PumpMessages();
  parts_.SleepMilliseconds(1);
}

void DownloadQueue::LogLine(const std::wstring& text, bool newLine) {
  if (text.empty()) return;
  view_.LogLine(FormatLogDate(parts_.Now()), text, newLine);
}

void DownloadQueue::BeginRun(bool downloading) {
  view_.ClearLog();
  view_.ShowRunButtons(true);
  stop_.Forget();
  LogLine(downloading ? kWaitDownloading : kStartingInstall, true);
}

void DownloadQueue::EndRun() { view_.ShowRunButtons(false); }

void DownloadQueue::OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total, std::uint64_t resumeOffset) {
  if (!sizeKnown || total == 0) return;
  const std::uint64_t percent = TransferPercent(resumeOffset, bytes, total);
  m_firstProgress = static_cast<std::int32_t>(percent > 100 ? 100 : percent);
  SetFilePercent(L"", static_cast<float>(m_firstProgress));
  LogLine(SizeLine(bytes, total), false);
}

void DownloadQueue::OnStopCommand() {
  view_.SetStopEnabled(false);
  LogLine(kStopWait, true);
  view_.SetStopLabel(kStopLabel);
  parts_.AbortTransfer();
  parts_.ShowTransferStatus(kAbortingTransfer);
}

void DownloadQueue::EnsureFolder(const std::wstring& folder) {
  if (!folder.empty() && !parts_.PathExists(folder)) parts_.CreateFolder(folder);
}

void DownloadQueue::PauseAboutASecond() {
  for (int i = 0; i < kPauseSteps; ++i) {
    parts_.PumpMessages();
    parts_.SleepMilliseconds(1);
    parts_.PumpMessages();
  }
}

void DownloadQueue::DeleteIfPresent(const std::wstring& path) {
  if (parts_.PathExists(path)) parts_.DeleteFile(path);
}

void DownloadQueue::Record(std::int32_t device, int row, int code, const std::wstring& path) {
  if (outcome_ == nullptr) return;
  DeviceDownload entry;
  entry.device = device;
  entry.row = row;
  entry.code = code;
  entry.ok = code == 1 && m_lastOk;
  if (entry.ok) entry.path = path;
  entry.report = m_lastReport;
  outcome_->devices.push_back(std::move(entry));
}

}  // namespace velkor
