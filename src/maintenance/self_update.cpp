#include "maintenance/self_update.hpp"

#include <atomic>

#include "base/path.hpp"
#include "base/signed_version_file.hpp"
#include "maintenance/version_file.hpp"

namespace velkor {
namespace {

std::atomic<bool> g_checkInProgress{false};

// Clears the check-in-progress flag on every way out of a check.
class CheckScope {
 public:
  CheckScope() = default;
  ~CheckScope() { g_checkInProgress.store(false); }
  CheckScope(const CheckScope&) = delete;
  CheckScope& operator=(const CheckScope&) = delete;
};

}  // namespace

bool CSelfUpdate::CheckInProgress() { return g_checkInProgress.load(); }

bool CSelfUpdate::SafeTransfer(const std::wstring& url, const std::wstring& path) {
  try {
    return m_Parts.Transfer(url, path);
  } catch (...) {
    return false;  // an exception out of the library is a failed transfer
  }
}

bool CSelfUpdate::CheckForUpdate() {
  if (!m_Parts.IsAdministrator()) return false;
  bool idle = false;
  if (!g_checkInProgress.compare_exchange_strong(idle, true)) return false;
  const CheckScope scope;
  m_LastEnd = UpdateCheckEnd::kNone;
  m_strOfferedVersion.clear();
  if (!m_Parts.IsConnected()) {
    m_LastEnd = UpdateCheckEnd::kNotConnected;
    m_View.ShowConnectionError(kTextCannotConnectForUpdate);
    return false;
  }
  // A stale file from an earlier run must never be read after a failed transfer.
  const std::wstring versionFile = JoinPath(m_Parts.DataFolder(), kLocalVersionFileName);
  if (m_Parts.FileExists(versionFile)) m_Parts.DeleteLocalFile(versionFile);
  if (!SafeTransfer(m_Parts.VersionFileUrl(), versionFile)) {
    m_LastEnd = UpdateCheckEnd::kVersionFileFailed;
    return false;
  }
  if (!IsNewerVersion(versionFile)) {
    if (m_LastEnd != UpdateCheckEnd::kNotVerified) m_LastEnd = UpdateCheckEnd::kNoUpdate;
    m_View.ShowNoUpdate(kTextNoNewUpdate);
    return false;
  }
  if (!m_View.AskToDownload(kTextNewUpdateQuestion)) {
    m_LastEnd = UpdateCheckEnd::kDeclined;
    return false;
  }
  DownloadUpdate();
  return true;
}

bool CSelfUpdate::IsNewerVersion(const std::wstring& versionFile) {
  m_strOwnVersion = m_Parts.OwnVersion();
  m_strDownloadUrl.clear();
  m_SetupDigest.reset();
  const std::optional<std::string> bytes = m_Parts.ReadFile(versionFile, kVersionFileLimit);
  const std::optional<SignedVersionFile> file = bytes ? SplitSignedVersionFile(*bytes) : std::nullopt;
  if (!file || !m_Parts.VerifyVersionFile(file->signedLines, file->signature)) {
    m_LastEnd = UpdateCheckEnd::kNotVerified;
    return false;
  }
  // Read from the bytes that were verified, never from the file again.
  const VersionFileFields fields = ReadVersionFields(file->signedLines);
  m_strOfferedVersion = fields.version;
  if (fields.version.empty()) return false;
  // Without the setup's digest there is nothing to check the setup against.
  if (!fields.setupSha256) {
    m_LastEnd = UpdateCheckEnd::kNotVerified;
    return false;
  }
  m_strDownloadUrl = fields.downloadUrl;
  m_SetupDigest = fields.setupSha256;
  return IsNewerVersionText(m_strOwnVersion, fields.version);
}

void CSelfUpdate::DownloadUpdate() {
  if (!m_Parts.IsConnected()) {
    m_LastEnd = UpdateCheckEnd::kNotConnected;
    m_View.ShowConnectionError(kTextCannotConnectForUpdate);
    return;
  }
  const std::wstring setup = JoinPath(m_Parts.DataFolder(), kLocalSetupFileName);
  if (m_Parts.FileExists(setup)) m_Parts.DeleteLocalFile(setup);
  if (!m_SetupDigest || !SafeTransfer(m_strDownloadUrl, setup)) {
    m_LastEnd = UpdateCheckEnd::kSetupTransferFailed;
    return;
  }
  RunUpdateInstaller(setup);
}

void CSelfUpdate::RunUpdateInstaller(const std::wstring& path) {
  if (!m_SetupDigest) {
    m_LastEnd = UpdateCheckEnd::kSetupRejected;
    return;
  }
  switch (m_Parts.RunVerifiedSetup(path, *m_SetupDigest)) {
    case SetupStart::kStarted:
      m_LastEnd = UpdateCheckEnd::kSetupStarted;
      return;
    case SetupStart::kHashMismatch:
      // Not the program the service signed for: nobody may run it later either.
      m_LastEnd = UpdateCheckEnd::kSetupRejected;
      m_Parts.DeleteLocalFile(path);
      return;
    case SetupStart::kFailed:
      m_LastEnd = UpdateCheckEnd::kSetupNotStarted;
      return;
  }
}

}  // namespace velkor
