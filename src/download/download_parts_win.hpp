#pragma once
// The download queue's parts over the real system: the clock, the download
// folder setting, files, the network component's driver lookup with its
// fallback, the download list's file, the worker's message pump, and the
// transfer of an HTTP downloader (the download page itself, or the console's).

#include <string>

#include "core/application_state.hpp"
#include "core/update_service.hpp"
#include "download/download_queue.hpp"
#include "download/http_downloader.hpp"

namespace velkor {


class WinDownloadParts final : public DownloadParts {
 public:
  WinDownloadParts(CApplicationState& app, const CUpdateService& network, CHttpDownloader& transfer);

  LocalTime Now() override;
  std::wstring DownloadFolder() override;
  bool PathExists(const std::wstring& path) override;
  bool CreateFolder(const std::wstring& path) override;
  bool DeleteFile(const std::wstring& path) override;
  std::wstring FileMd5(const std::wstring& path) override;
  bool DriverLookup(const std::wstring& serverHardwareId, const std::wstring& osCode, std::wstring& answer) override;
  bool SaveDownloadList() override;
  void PumpMessages() override;
  void SleepMilliseconds(unsigned milliseconds) override;
  void SetTransfer(const std::wstring& url, const std::wstring& path) override;
  bool Download() override;
  bool TransferOpenedFile() override;
  void ClearTransferAbort() override;
  void AbortTransfer() override;
  void ForgetCachedCopy(const std::wstring& url) override;
  void ShowTransferStatus(int messageId) override;

 private:
  CApplicationState& app_;
  const CUpdateService& network_;
  CHttpDownloader& transfer_;
};

// The OS version code of this system as the lookup sends it (decimal text).
std::wstring OsCodeText();

}  // namespace velkor
