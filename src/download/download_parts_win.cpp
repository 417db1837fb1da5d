#include "download/download_parts_win.hpp"

#include <windows.h>
#include <wininet.h>

#include "base/path.hpp"
#include "core/local_clock.hpp"
#include "core/message_pump.hpp"
#include "core/settings.hpp"
#include "download/file_md5.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor {

WinDownloadParts::WinDownloadParts(CApplicationState& app, const CUpdateService& network, CHttpDownloader& transfer)
    : app_(app), network_(network), transfer_(transfer) {}

LocalTime WinDownloadParts::Now() { return CurrentLocalTime(); }

std::wstring WinDownloadParts::DownloadFolder() {
  std::wstring folder = app_.m_Settings.Get(kSettingDownloadLoc);
  if (folder.empty()) folder = app_.m_strDownloadFolder;
  return folder.empty() ? folder : JoinPath(folder, L"\\");
}

bool WinDownloadParts::PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinDownloadParts::CreateFolder(const std::wstring& path) { return ::CreateDirectoryW(path.c_str(), nullptr) != 0; }

bool WinDownloadParts::DeleteFile(const std::wstring& path) { return ::DeleteFileW(path.c_str()) != 0; }

std::wstring WinDownloadParts::FileMd5(const std::wstring& path) { return velkor::FileMd5(path); }

bool WinDownloadParts::DriverLookup(const std::wstring& serverHardwareId, const std::wstring& osCode,
                                    std::wstring& answer) {
  return network_.DriverLookupWithFallback(serverHardwareId, osCode, answer);
}

bool WinDownloadParts::SaveDownloadList() { return app_.SaveList(ListKind::Download); }

void WinDownloadParts::PumpMessages() { PumpPendingMessages(); }

void WinDownloadParts::SleepMilliseconds(unsigned milliseconds) { ::Sleep(milliseconds); }

void WinDownloadParts::SetTransfer(const std::wstring& url, const std::wstring& path) {
  transfer_.m_url = url;
  transfer_.m_localFile = path;
}

bool WinDownloadParts::Download() { return transfer_.Download(); }

bool WinDownloadParts::TransferOpenedFile() { return transfer_.m_fileOpened != 0; }

void WinDownloadParts::ClearTransferAbort() { transfer_.ClearAbort(); }

void WinDownloadParts::AbortTransfer() { transfer_.Abort(); }

void WinDownloadParts::ForgetCachedCopy(const std::wstring& url) { ::DeleteUrlCacheEntryW(url.c_str()); }

void WinDownloadParts::ShowTransferStatus(int messageId) { transfer_.ShowStatusId(static_cast<UINT>(messageId)); }

std::wstring OsCodeText() { return std::to_wstring(GetOSVersionCode().code); }

}  // namespace velkor
