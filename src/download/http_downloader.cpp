#include "download/http_downloader.hpp"

#include <cstring>
#include <cwchar>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "download/download_texts.hpp"
#include "download/download_url.hpp"

namespace velkor {
namespace {

constexpr DWORD kHttpFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE |
                             INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE;  // 0xC4400100
// No flag that ignores an invalid certificate: a package served under another
// name's certificate, or an expired one, is not ours to install.
constexpr DWORD kHttpsFlags = kHttpFlags | INTERNET_FLAG_SECURE;
constexpr DWORD kConnectBackoffMs = 1000;
constexpr DWORD kReceiveTimeoutMs = 7200000;
constexpr DWORD kOutOfMemory = ERROR_OUTOFMEMORY;  // 14
constexpr std::size_t kDescriptionLimit = 4096;
constexpr DWORD kSystemDefaultLanguage = 0x800;
constexpr DWORD kStatusTextLimit = 4096;  // bytes of status information taken

// The module this code is in: its string table holds the transfer's texts.
HMODULE OwnModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

// The system's description of an error, from the system's table and WinINet's.
std::wstring ErrorDescription(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ALLOCATE_BUFFER,
      ::GetModuleHandleW(L"wininet.dll"), error, kSystemDefaultLanguage, reinterpret_cast<LPWSTR>(&text), 0,
      nullptr);
  std::wstring description;
  if (length > 0 && text != nullptr) description.assign(text, length < kDescriptionLimit ? length : kDescriptionLimit);
  if (text != nullptr) ::LocalFree(text);
  return description;
}

// A content length as a server writes it: decimal digits after any blanks;
// anything after them is ignored, a value past 64 bits saturates.
std::uint64_t ReadContentLength(const wchar_t* text) {
  while (*text == L' ' || *text == L'\t') ++text;
  std::uint64_t value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    const std::uint64_t digit = static_cast<std::uint64_t>(*text - L'0');
    if (value > (UINT64_MAX - digit) / 10) return UINT64_MAX;
    value = value * 10 + digit;
  }
  return value;
}

// The folder part of a file path (through its last backslash or slash).
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, slash + 1);
}

bool SetStringOption(HINTERNET handle, DWORD option, const std::wstring& value) {
  return ::InternetSetOptionW(handle, option, const_cast<wchar_t*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * 2)) != FALSE;
}

}  // namespace

std::wstring LoadProgramText(UINT messageId) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(OwnModule(), messageId, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

CHttpDownloader::CHttpDownloader(std::wstring applicationName) : applicationName_(std::move(applicationName)) {}

CHttpDownloader::~CHttpDownloader() {
  CloseHandles();
  m_file.Close();
}

bool CHttpDownloader::Download() {
  const bool named = !m_localFile.empty();
  const bool existed = named && ::GetFileAttributesW(m_localFile.c_str()) != INVALID_FILE_ATTRIBUTES;
  m_fileOpened = 0;
  closeInBackground_ = false;
  const bool ok = Transfer();
  if (closeInBackground_) {
    CloseHandlesInBackground();
  } else {
    CloseHandles();
  }
  if (named) {
    if (m_fileOpened) m_file.Close();  // a failure to close is not a failed transfer
    if (!ok && !existed) ::DeleteFileW(m_localFile.c_str());
  }
  return ok;
}

void CHttpDownloader::Abort() {
  ::InterlockedExchange(&m_abort, 1);
  CloseHandles();
}

void CHttpDownloader::CloseHandles() {
  const std::lock_guard<CriticalSection> lock(m_lock);
  m_request.reset();
  m_connection.reset();
  if (m_internet) ::InternetSetStatusCallbackW(m_internet.get(), nullptr);
  m_internet.reset();
}

void CHttpDownloader::CloseHandlesInBackground() {
  UniqueInternetHandle request, connection, internet;
  {
    const std::lock_guard<CriticalSection> lock(m_lock);
    // Nothing may call back into this object once it has let go of them.
    for (HINTERNET handle : {m_request.get(), m_connection.get(), m_internet.get()}) {
      if (handle != nullptr) ::InternetSetStatusCallbackW(handle, nullptr);
    }
    request = std::move(m_request);
    connection = std::move(m_connection);
    internet = std::move(m_internet);
  }
  try {
    std::thread([request = std::move(request), connection = std::move(connection),
                 internet = std::move(internet)]() mutable {
      request.reset();
      connection.reset();
      internet.reset();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the handles close here, as late as that may be.
  }
}

HINTERNET CHttpDownloader::RequestHandle() {
  const std::lock_guard<CriticalSection> lock(m_lock);
  return m_request.get();
}

bool CHttpDownloader::Transfer() {
  ::InterlockedExchange(&m_abort, 0);
  CloseHandles();

  const std::optional<DownloadUrl> url = ParseDownloadUrlWithHttpRetry(m_url);
  if (!url) return false;
  m_serviceType = url->secure ? INTERNET_SCHEME_HTTPS : INTERNET_SCHEME_HTTP;
  m_server = url->host.size() > 2 && url->host.front() == L'[' ? url->host.substr(1, url->host.size() - 2) : url->host;
  m_port = url->port;
  m_object = url->object;

  if (!m_localFile.empty() && !OpenTargetFile()) return false;
  if (!OpenSession() || !ConnectToServer() || !OpenRequest()) return false;

  if (m_applyProxyCredentials && !ApplyProxyCredentials()) return false;
  if (m_applyServerCredentials && !ApplyServerCredentials()) return false;
  ApplyConnectBackoff(5000);

  HINTERNET request = RequestHandle();
  if (!SendUntilAnswered(request)) return false;
  return ReadBody(request);
}

bool CHttpDownloader::OpenTargetFile() {
  const bool keep = m_startOffset > 0 && ::GetFileAttributesW(m_localFile.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!m_file.Open(m_localFile, keep)) {
    ReportSystemError(kTextOpenFileError, m_file.LastError());
    return false;
  }
  m_fileOpened = 1;
  if (!m_file.CutAt(m_startOffset)) {
    ReportSystemError(kTextSeekError, m_file.LastError());
    return false;
  }
  ULARGE_INTEGER available{};
  const bool known = ::GetDiskFreeSpaceExW(FolderOf(m_localFile).c_str(), &available, nullptr, nullptr) != FALSE;
  const TransferAllowance allowance = AllowanceFor(known, available.QuadPart, m_maxTransferBytes, m_startOffset);
  allowance_ = allowance.bytes;
  diskBound_ = allowance.byDisk;
  return true;
}

bool CHttpDownloader::SendUntilAnswered(HINTERNET request) {
  bool credentialsSent = m_applyServerCredentials != 0;
  bool certificateTried = false;
  for (;;) {
    const std::wstring headers = ExtraHeaders();
    if (!::HttpSendRequestW(request, headers.empty() ? nullptr : headers.c_str(),
                            static_cast<DWORD>(headers.size()), nullptr, 0)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED && !certificateTried &&
          (m_certByHook ? OnClientCertNeeded() : ApplyStoredCertificate())) {
        certificateTried = true;
        continue;
      }
      ReportSystemError(kTextConnectError, error);
      return false;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      ReportSystemError(kTextBadResponse, ::GetLastError());
      return false;
    }
    if (status == HTTP_STATUS_DENIED || status == HTTP_STATUS_PROXY_AUTH_REQ) {
      if (!DrainBody(request)) return false;
      bool challenge = false;
      if (status == HTTP_STATUS_PROXY_AUTH_REQ) {
        if (!m_proxyAuthByHook) {
          ReportCodeError(kTextBadResponseCode, status);
          return false;
        }
        challenge = true;
      } else if (!m_user.empty() && !credentialsSent) {
        if (!ApplyServerCredentials()) return false;
        credentialsSent = true;
        continue;
      } else if (m_serverAuthByHook) {
        challenge = true;
      } else {
        ReportCodeError(kTextBadResponseCode, status);
        return false;
      }
      if (challenge) {
        DWORD error = 0;
        if (OnAuthChallenge(error)) continue;
        if (error != 0) ReportSystemError(kTextAbortingTransfer, error);
        return false;
      }
    }
    if (status != HTTP_STATUS_OK && status != HTTP_STATUS_PARTIAL_CONTENT) {
      ReportCodeError(kTextBadResponseCode, status);
      return false;
    }
    return true;
  }
}

bool CHttpDownloader::DrainBody(HINTERNET request) {
  std::vector<std::uint8_t> piece;
  try {
    piece.resize(m_bufferSize > 0 ? m_bufferSize : 1);
  } catch (const std::bad_alloc&) {
    ReportSystemError(kTextAttemptError, kOutOfMemory);
    return false;
  }
  DWORD got = 0;
  while (::InternetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &got) && got > 0) {
  }
  return true;
}

bool CHttpDownloader::ReadBody(HINTERNET request) {
  ShowStatusId(kTextGettingInformation);
  bool sizeKnown = false;
  std::uint64_t contentLength = 0;
  wchar_t lengthText[32] = {};
  DWORD lengthSize = sizeof lengthText;
  if (::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr)) {
    lengthText[31] = L'\0';
    contentLength = ReadContentLength(lengthText);
    OnContentLength(contentLength);
    sizeKnown = true;
  }
  // Without a file only the byte limit bounds the body (the file's disk was
  // measured when it was opened). A body announced larger than that is
  // refused before any of it is read.
  if (m_localFile.empty()) {
    allowance_ = AllowanceFor(false, 0, m_maxTransferBytes, m_startOffset).bytes;
    diskBound_ = false;
  }
  if (sizeKnown && contentLength > allowance_) {
    ReportSystemError(kTextDownloadError, diskBound_ ? ERROR_DISK_FULL : ERROR_FILE_TOO_LARGE);
    return false;
  }

  ShowStatusId(kTextRetrieving);
  const DWORD start = ::GetTickCount();
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(m_bufferSize > 0 ? m_bufferSize : 1);
  } catch (const std::bad_alloc&) {
    ReportSystemError(kTextAttemptError, kOutOfMemory);
    return false;
  }
  std::uint64_t total = 0;
  for (;;) {
    DWORD got = 0;
    if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      ReportSystemError(kTextDownloadError, ::GetLastError());
      return false;
    }
    if (got > 0) {
      if (got > allowance_ - total) {
        ReportSystemError(kTextDownloadError, diskBound_ ? ERROR_DISK_FULL : ERROR_FILE_TOO_LARGE);
        // The server may go on sending; closing the request would read on
        // until it stops, so the handles close on a thread of their own.
        closeInBackground_ = true;
        return false;
      }
      if (!OnData(buffer.data(), got)) return false;
      total += got;
      if (m_bandwidthLimit > 0) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= 1) {
          const double rate = static_cast<double>(total) / elapsed;
          if (rate > m_bandwidthLimit) {
            ::Sleep(static_cast<DWORD>(static_cast<double>(total) / m_bandwidthLimit - elapsed));
          }
        }
      }
    }
    OnProgress(total, sizeKnown, m_startOffset + contentLength);
    if (IsAbortRequested()) return true;
    if (got == 0) {
      // A body that ends before its announced length is a broken transfer,
      // not a good one.
      if (sizeKnown && total < contentLength) {
        ReportSystemError(kTextDownloadError, ERROR_INTERNET_CONNECTION_ABORTED);
        return false;
      }
      return true;
    }
  }
}

bool CHttpDownloader::OpenSession() {
  const std::lock_guard<CriticalSection> lock(m_lock);
  if (m_internet) return true;
  const std::wstring& agent = m_userAgent.empty() ? applicationName_ : m_userAgent;
  switch (m_connectionType) {
    case 0:
      m_internet.reset(::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
      break;
    case 1:
      m_internet.reset(::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
      break;
    case 2:
      m_internet.reset(
          ::InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, m_proxyServer.c_str(), nullptr, 0));
      break;
    default:
      break;
  }
  if (!m_internet ||
      ::InternetSetStatusCallbackW(m_internet.get(), &StatusCallback) == INTERNET_INVALID_STATUS_CALLBACK) {
    ReportSystemError(kTextAttemptError, ::GetLastError());
    return false;
  }
  return true;
}

bool CHttpDownloader::ConnectToServer() {
  const std::lock_guard<CriticalSection> lock(m_lock);
  const bool withUser = !m_user.empty();
  m_connection.reset(::InternetConnectW(m_internet.get(), m_server.c_str(), m_port,
                                        withUser ? m_user.c_str() : nullptr, withUser ? m_password.c_str() : nullptr,
                                        INTERNET_SERVICE_HTTP, 0, reinterpret_cast<DWORD_PTR>(this)));
  if (!m_connection) {
    ReportSystemError(kTextConnectError, ::GetLastError());
    return false;
  }
  return true;
}

bool CHttpDownloader::OpenRequest() {
  std::vector<std::wstring> tokens;
  std::vector<const wchar_t*> accept;
  try {
    std::wstring token;
    for (std::size_t i = 0; i <= m_acceptTypes.size(); ++i) {
      const wchar_t c = i < m_acceptTypes.size() ? m_acceptTypes[i] : L'\0';
      if (c == L',' || c == L';' || c == L'\0') {
        if (!token.empty()) tokens.push_back(std::move(token));
        token.clear();
      } else {
        token.push_back(c);
      }
    }
    for (const std::wstring& t : tokens) accept.push_back(t.c_str());
    accept.push_back(nullptr);
  } catch (const std::bad_alloc&) {
    ReportSystemError(kTextAttemptError, kOutOfMemory);
    return false;
  }
  const std::lock_guard<CriticalSection> lock(m_lock);
  m_request.reset(::HttpOpenRequestW(m_connection.get(), m_verb.empty() ? nullptr : m_verb.c_str(), m_object.c_str(),
                                     m_httpVersion.empty() ? nullptr : m_httpVersion.c_str(),
                                     m_referrer.empty() ? nullptr : m_referrer.c_str(), accept.data(), RequestFlags(),
                                     reinterpret_cast<DWORD_PTR>(this)));
  if (!m_request) {
    ReportSystemError(kTextConnectError, ::GetLastError());
    return false;
  }
  return true;
}

bool CHttpDownloader::ApplyServerCredentials() {
  return ApplyCredentials(m_user, m_password, INTERNET_OPTION_USERNAME, INTERNET_OPTION_PASSWORD);
}

bool CHttpDownloader::ApplyProxyCredentials() {
  return ApplyCredentials(m_proxyUser, m_proxyPassword, INTERNET_OPTION_PROXY_USERNAME, INTERNET_OPTION_PROXY_PASSWORD);
}

bool CHttpDownloader::ApplyCredentials(const std::wstring& user, const std::wstring& password, DWORD userOption,
                                       DWORD passwordOption) {
  if (user.empty()) return true;
  HINTERNET request = RequestHandle();
  if (!SetStringOption(request, userOption, user) || !SetStringOption(request, passwordOption, password)) {
    ReportCodeError(kTextAttemptError, ::GetLastError());
    return false;
  }
  return true;
}

bool CHttpDownloader::OnClientCertNeeded() { return ApplyStoredCertificate(); }

bool CHttpDownloader::ApplyStoredCertificate() {
  if (!m_clientCert) return false;
  // The size of the context structure as this build lays it out (20 bytes
  // only on 32-bit Windows).
  return ::InternetSetOptionW(RequestHandle(), INTERNET_OPTION_CLIENT_CERT_CONTEXT,
                              const_cast<CERT_CONTEXT*>(m_clientCert.get()), sizeof(CERT_CONTEXT)) != FALSE;
}

void CHttpDownloader::OnInternetStatus(HINTERNET, DWORD, void*, DWORD) {}

void CHttpDownloader::ReportSystemError(UINT messageId, DWORD error) { (void)SystemReportText(messageId, error); }

void CHttpDownloader::ReportCodeError(UINT messageId, DWORD code) { (void)CodeReportText(messageId, code); }

DWORD CHttpDownloader::RequestFlags() {
  DWORD flags = m_serviceType == INTERNET_SCHEME_HTTPS ? kHttpsFlags : kHttpFlags;
  if (m_noAutoRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  return flags;
}

std::wstring CHttpDownloader::ExtraHeaders() {
  if (m_startOffset == 0) return {};
  return L"Range: bytes=" + std::to_wstring(m_startOffset) + L"-\r\n";
}

bool CHttpDownloader::OnAuthChallenge(DWORD& error) {
  error = 0;
  return false;
}

void CHttpDownloader::ShowStatusText(const std::wstring&) {}

void CHttpDownloader::ShowStatusFormatted(UINT messageId, const std::wstring& insert) {
  ShowStatusText(InsertArgument(LoadProgramText(messageId), insert));
}

void CHttpDownloader::ShowStatusId(UINT messageId) {
  const std::wstring text = LoadProgramText(messageId);
  if (!text.empty()) ShowStatusText(text);
}

bool CHttpDownloader::IsAbortRequested() { return ::InterlockedCompareExchange(&m_abort, 0, 0) != 0; }

void CHttpDownloader::OnContentLength(std::uint64_t) {}

void CHttpDownloader::OnProgress(std::uint64_t, bool, std::uint64_t) {}

bool CHttpDownloader::OnData(const std::uint8_t* buffer, DWORD length) {
  if (!m_localFile.empty() && !m_file.Write({buffer, length})) {
    ReportSystemError(kTextDownloadError, m_file.LastError());
    return false;
  }
  return !IsAbortRequested();
}

bool CHttpDownloader::ApplyConnectBackoff(DWORD) {
  DWORD backoff = kConnectBackoffMs;
  ::InternetSetOptionW(RequestHandle(), INTERNET_OPTION_CONNECT_BACKOFF, &backoff, sizeof backoff);
  return true;
}

bool CHttpDownloader::ApplyReceiveTimeout() {
  DWORD timeout = kReceiveTimeoutMs;
  return ::InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout) != FALSE;
}

std::wstring CHttpDownloader::SystemReportText(UINT messageId, DWORD error) const {
  if (error == 0) error = ::GetLastError();
  return InsertArgument(LoadProgramText(messageId), ErrorDescription(error));
}

std::wstring CHttpDownloader::CodeReportText(UINT messageId, DWORD code) const {
  return InsertArgument(LoadProgramText(messageId), std::to_wstring(code));
}

void CHttpDownloader::ShowConnectionStatus(DWORD status, const void* information, DWORD length) {
  UINT text = 0;
  switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
      text = kTextResolving;
      break;
    case INTERNET_STATUS_NAME_RESOLVED:
      text = kTextResolved;
      break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
      text = kTextConnecting;
      break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
      text = kTextConnected;
      break;
    case INTERNET_STATUS_REDIRECT:
      text = kTextRedirecting;
      break;
    default:
      return;
  }
  std::wstring insert;
  if (information != nullptr && length > 0) {
    const int bytes = static_cast<int>(length < kStatusTextLimit ? length : kStatusTextLimit);
    if (::IsTextUnicode(information, bytes, nullptr)) {
      const auto* wide = static_cast<const wchar_t*>(information);
      insert.assign(wide, wcsnlen(wide, static_cast<std::size_t>(bytes) / sizeof(wchar_t)));
    } else {
      const auto* narrow = static_cast<const char*>(information);
      const int count = static_cast<int>(strnlen(narrow, static_cast<std::size_t>(bytes)));
      const int wideCount = ::MultiByteToWideChar(CP_ACP, 0, narrow, count, nullptr, 0);
      if (wideCount > 0) {
        insert.resize(static_cast<std::size_t>(wideCount));
        ::MultiByteToWideChar(CP_ACP, 0, narrow, count, insert.data(), wideCount);
      }
    }
  }
  ShowStatusFormatted(text, insert);
}

void CALLBACK CHttpDownloader::StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                                              DWORD length) {
  // The root handle has no context; every connection and request carries the object.
  if (context == 0) return;
  reinterpret_cast<CHttpDownloader*>(context)->OnInternetStatus(handle, status, information, length);
}

}  // namespace velkor
