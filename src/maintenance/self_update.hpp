#pragma once
// The program's self-update: the "Check for update" command fetches the
// version file from the update service, compares its version with the
// program's own and, when the user agrees, fetches the setup program and runs
// it silently while the program ends. Every transfer goes through update.dll.
//
// Nothing is run on the word of whoever answers for the service: the version
// file is taken only with a valid signature of the service's version-file key
// (base/signed_version_file.hpp), and the setup program only when its SHA-256
// is the one the signed file names, checked on the very file that is started.
//
// A flow without Windows code: what the user sees goes through SelfUpdateView,
// what it needs from the system through SelfUpdateParts. It runs on the thread
// of the command (the window's UI thread; update.dll's progress window pumps
// its messages meanwhile, and the check-in-progress flag keeps a second
// command out).

#include <optional>
#include <string>
#include <string_view>

#include "base/signed_content.hpp"

namespace velkor {

inline constexpr wchar_t kTextCannotConnectForUpdate[] =
    L"Cannot connect to server. Please retry to check for application update.";
inline constexpr wchar_t kTextNoNewUpdate[] = L"No New Update is available.";
inline constexpr wchar_t kTextNewUpdateQuestion[] = L"New Update is available. Do you want to download now?";
// Both in the data folder. The version file is an INI text despite its name.
inline constexpr wchar_t kLocalVersionFileName[] = L"Velkor.zip";
inline constexpr wchar_t kLocalSetupFileName[] = L"VELKOR.EXE";
inline constexpr wchar_t kSilentSetupArgument[] = L"/verysilent";

class SelfUpdateView {
 public:
  virtual ~SelfUpdateView() = default;
  // Error icon, task-modal.
  virtual void ShowConnectionError(const std::wstring& text) = 0;
  // A plain OK box.
  virtual void ShowNoUpdate(const std::wstring& text) = 0;
  // Yes/No with the question icon; true for Yes.
  virtual bool AskToDownload(const std::wstring& text) = 0;
};

enum class SetupStart {
  kStarted,       // the setup runs and this process ends (a test's parts return)
  kHashMismatch,  // the file is not the one the version file names: not started
  kFailed,        // the file could not be opened or started
};

class SelfUpdateParts {
 public:
  virtual ~SelfUpdateParts() = default;
  virtual bool IsAdministrator() = 0;
  // The "FileVersion" of the program.
  virtual std::wstring OwnVersion() = 0;
  // The per-user data folder, ending in a backslash.
  virtual std::wstring DataFolder() = 0;
  // The version file's address: the configured update service's v1/app/version.
  virtual std::wstring VersionFileUrl() = 0;
  // update.dll's STIsConnected.
  virtual bool IsConnected() = 0;
  // One transfer through update.dll: STClearFiles, STAddFile, STSetOption
  // ("hidden", ...), STDownloadFiles. True when the target file was written.
  virtual bool Transfer(const std::wstring& url, const std::wstring& path) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  virtual void DeleteLocalFile(const std::wstring& path) = 0;
  // The file's bytes when it is at most `limit` bytes long.
  virtual std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) = 0;
  // The version-file key's signature over the signed lines.
  virtual bool VerifyVersionFile(std::string_view signedLines, const AnswerSignature& signature) = 0;
  // Opens the setup file so that nobody can change it until it has started,
  // checks its SHA-256 on that handle, and only then posts the quit message,
  // starts it with "open" and kSilentSetupArgument and ends this process with
  // code 0. Returns only when the setup was not started.
  virtual SetupStart RunVerifiedSetup(const std::wstring& path, const Sha256Digest& expected) = 0;
};

// How the last check ended, for the console and the tests.
enum class UpdateCheckEnd {
  kNone,                 // no check ran: not an administrator, or one in progress
  kNotConnected,         // the connection message
  kVersionFileFailed,    // the version file's transfer failed (silent)
  kNotVerified,          // a version file without a valid signature or setup digest: no update
  kNoUpdate,             // "No New Update is available."
  kDeclined,             // the user answered No
  kSetupTransferFailed,  // the setup's transfer failed (silent)
  kSetupRejected,        // the setup's SHA-256 is not the signed one: not started, deleted
  kSetupNotStarted,      // the setup could not be opened or started
  kSetupStarted,
};

class CSelfUpdate {
 public:
  CSelfUpdate(SelfUpdateView& view, SelfUpdateParts& parts) : m_View(view), m_Parts(parts) {}

  // The menu command; true when the user chose to download.
  bool CheckForUpdate();
  void DownloadUpdate();
  void RunUpdateInstaller(const std::wstring& path);
  // Reads the version file: true when it is validly signed and offers a newer
  // version; keeps its download address and setup digest.
  bool IsNewerVersion(const std::wstring& versionFile);

  UpdateCheckEnd LastEnd() const { return m_LastEnd; }
  const std::wstring& OwnVersion() const { return m_strOwnVersion; }
  const std::wstring& OfferedVersion() const { return m_strOfferedVersion; }
  const std::wstring& DownloadAddress() const { return m_strDownloadUrl; }

  // Process-wide: one check at a time, whichever object runs it.
  static bool CheckInProgress();

 private:
  bool SafeTransfer(const std::wstring& url, const std::wstring& path);

  SelfUpdateView& m_View;
  SelfUpdateParts& m_Parts;
  std::wstring m_strDownloadUrl;
  std::optional<Sha256Digest> m_SetupDigest;
  std::wstring m_strOwnVersion;
  std::wstring m_strOfferedVersion;
  UpdateCheckEnd m_LastEnd = UpdateCheckEnd::kNone;
};

}  // namespace velkor
