#pragma once
// CHttpDownloader: fetches one resource over HTTP or HTTPS into one local file
// with WinINet. A transfer runs synchronously on the calling thread (the
// download page's worker) and can be stopped from any other thread with
// Abort(), which closes the handles and so unblocks a send or a read.
//
// Built to be the second base of a window class: everything that shows text,
// asks the user or reports progress is a virtual operation with a quiet
// default, which the download page overrides. Resuming at a byte offset, server
// and proxy credentials, a client certificate and a bandwidth limit are
// supported; this program uses the defaults of all of them.
//
// Certificates are validated in full: a certificate that has expired or was
// issued for another name fails the transfer, whoever serves the package. One
// transfer writes at most what the download folder's disk can take (beyond a
// reserve) and never more than m_maxTransferBytes; a body that would pass either
// fails the transfer like a failed write. A body that ends before the length
// its server announced is a failed transfer too.

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "download/transfer_file_win.hpp"
#include "download/transfer_limits.hpp"
#include "platform/cert_context.hpp"
#include "platform/critical_section.hpp"
#include "platform/internet_handle.hpp"

namespace velkor {

// The transfer's message texts (string table of the program).
enum TransferText : UINT {
  kTextAbortingTransfer = 102,
  kTextConnected = 105,
  kTextConnecting = 106,
  kTextDownloadError = 107,
  kTextConnectError = 108,
  kTextOpenFileError = 109,
  kTextSeekError = 110,
  kTextAttemptError = 113,
  kTextGettingInformation = 114,
  kTextBadResponseCode = 115,
  kTextBadResponse = 116,
  kTextRedirecting = 125,
  kTextResolved = 126,
  kTextResolving = 127,
  kTextRetrieving = 128,
};

// The read buffer the download queue gives its transfers (the downloader's
// own default stays 1024 bytes). Each piece costs a progress report with a
// 1 ms pause for the window; with 1024 bytes a loopback transfer ran at about
// 0.7 MiB/s through the queue and 15 MiB/s alone, with 64 KiB at 244 MiB/s
// alone (bench/download/download_bench.sh).
inline constexpr std::uint32_t kQueueBufferBytes = 64 * 1024;

class CHttpDownloader {
 public:
  // applicationName: the user agent when m_userAgent is empty.
  explicit CHttpDownloader(std::wstring applicationName);
  virtual ~CHttpDownloader();
  CHttpDownloader(const CHttpDownloader&) = delete;
  CHttpDownloader& operator=(const CHttpDownloader&) = delete;

  // One transfer of m_url into m_localFile (set them first). A failed transfer
  // deletes the target file only when it did not exist before.
  bool Download();
  // Stops a transfer from any thread: the stop request, then the handles closed.
  void Abort();
  // Closes the request, the connection and the root handle, under m_lock.
  void CloseHandles();
  // Clears a stop request (the page does so after a transfer and its check).
  void ClearAbort() { ::InterlockedExchange(&m_abort, 0); }

  std::wstring m_url;
  std::wstring m_localFile;  // empty: the body is read and counted, written nowhere
  std::wstring m_proxyServer;
  std::wstring m_proxyUser, m_proxyPassword;
  std::wstring m_user, m_password;
  std::wstring m_userAgent;
  std::wstring m_referrer;
  std::wstring m_verb;
  std::wstring m_httpVersion;
  std::int32_t m_connectionType = 0;  // 0 system configuration, 1 direct, 2 named proxy
  std::int32_t m_promptOverwrite = 1;
  std::int32_t m_proxyAuthByHook = 1;
  std::int32_t m_serverAuthByHook = 1;
  std::int32_t m_certByHook = 1;
  double m_bandwidthLimit = 0;  // bytes per millisecond; 0 or less: unlimited
  std::uint64_t m_startOffset = 0;
  std::int32_t m_noAutoRedirect = 0;
  std::uint32_t m_bufferSize = 1024;
  std::int32_t m_applyProxyCredentials = 1;
  std::int32_t m_applyServerCredentials = 1;
  std::uint8_t m_fileOpened = 0;
  std::wstring m_acceptTypes = L"*/*";
  std::int32_t m_serviceType = 0;  // INTERNET_SCHEME_HTTP or INTERNET_SCHEME_HTTPS
  UniqueInternetHandle m_internet, m_connection, m_request;
  std::wstring m_server, m_object;
  std::uint16_t m_port = 0;
  volatile LONG m_abort = 0;
  CTransferFile m_file;
  CriticalSection m_lock;
  UniqueCertContext m_clientCert;
  // Longest file a transfer may make (resume offset included).
  std::uint64_t m_maxTransferBytes = kTransferByteLimit;

  // The operations a window class overrides, in this order. They are public
  // like the rest: the page calls ShowStatusId for its Stop command.
  virtual bool OpenSession();
  virtual bool ConnectToServer();
  virtual bool OpenRequest();
  virtual bool ApplyServerCredentials();
  virtual bool ApplyProxyCredentials();
  virtual bool OnClientCertNeeded();
  virtual void OnInternetStatus(HINTERNET handle, DWORD status, void* information, DWORD length);
  virtual void ReportSystemError(UINT messageId, DWORD error);
  virtual void ReportCodeError(UINT messageId, DWORD code);
  virtual DWORD RequestFlags();
  virtual std::wstring ExtraHeaders();
  virtual bool OnAuthChallenge(DWORD& error);
  virtual void ShowStatusText(const std::wstring& text);
  virtual void ShowStatusFormatted(UINT messageId, const std::wstring& insert);
  virtual void ShowStatusId(UINT messageId);
  virtual bool IsAbortRequested();
  virtual void OnContentLength(std::uint64_t length);
  virtual void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total);
  virtual bool OnData(const std::uint8_t* buffer, DWORD length);
  virtual bool ApplyConnectBackoff(DWORD value);
  virtual bool ApplyReceiveTimeout();

  // The report texts: the message's text with the error's description (from
  // the system's and WinINet's message tables; GetLastError() when error is
  // 0), or with the code in decimal, for "%1".
  std::wstring SystemReportText(UINT messageId, DWORD error) const;
  std::wstring CodeReportText(UINT messageId, DWORD code) const;
  // The connection stages as status texts (resolving, resolved, connecting,
  // connected, redirect), each with the status information as its insert.
  void ShowConnectionStatus(DWORD status, const void* information, DWORD length);
  // The client certificate applied to the request: slot 5's default.
  bool ApplyStoredCertificate();
  // The request handle as it is now (read under m_lock).
  HINTERNET RequestHandle();

 private:
  bool Transfer();
  // A user name and password as two options of the request (nothing without a user name).
  bool ApplyCredentials(const std::wstring& user, const std::wstring& password, DWORD userOption,
                        DWORD passwordOption);
  // Lets the handles go to a thread that closes them (after a body that was
  // cut off for its size).
  void CloseHandlesInBackground();
  bool OpenTargetFile();
  bool SendUntilAnswered(HINTERNET request);
  bool DrainBody(HINTERNET request);
  bool ReadBody(HINTERNET request);
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                                      DWORD length);

  std::wstring applicationName_;
  // What the file's disk can take in this transfer, and whether the disk (not
  // the byte limit) is what bounds it.
  std::uint64_t allowance_ = 0;
  bool diskBound_ = false;
  bool closeInBackground_ = false;
};

// The program's own text of a message id (its string table), or empty.
std::wstring LoadProgramText(UINT messageId);

}  // namespace velkor
