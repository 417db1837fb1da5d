#pragma once
// InstallPackage: one downloaded driver package installed for one device. The
// package's file name says what it is; it is unpacked beside itself (ZIP, RAR,
// CAB, or a setup program that is a self-extracting archive, opened as a ZIP or
// unpacked with 7-Zip) or run as a setup program, then its INF is installed for
// the hardware ID, the unpacked files are removed and the outcome is reported.
//
// It runs on the install worker. What it shows goes through InstallView (the
// install sequence supplies one over the download page and the main window);
// what it needs from the machine goes through InstallParts (install_parts_win.*
// over the system; tests supply fakes).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "install/driver_operations.hpp"
#include "install/package_names.hpp"
#include "install/started_process.hpp"

namespace velkor {

class InstallView {
 public:
  virtual ~InstallView() = default;
  // The install's progress bar (the download page's file bar), 0..100. A view
  // that has no bar set for the install does nothing.
  virtual void SetInstallPercent(int percent) = 0;
  // An OK box with the text, the application title as caption, owned by the
  // main window; returns when the user has closed it.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // Sets the application's restart-needed flag (m_bRestartNeeded).
  virtual void SetRestartNeeded() = 0;
};

// A ZIP package opened by the ZIP layer; closed when destroyed.
class OpenedZip {
 public:
  virtual ~OpenedZip() = default;
  // Extracts every entry below the folder (entries whose names would leave it
  // are not written).
  virtual void ExtractAll(const std::wstring& folder) = 0;
};

enum class RarExtraction {
  Extracted,   // listed and extracted up to the first entry that failed, if any
  CannotOpen,  // the library is missing or the archive cannot be opened and listed
};

class InstallParts {
 public:
  virtual ~InstallParts() = default;
  virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
  // PathFileExistsW: a file or a folder.
  virtual bool PathExists(const std::wstring& path) = 0;
  // ShellExecuteW with no owner, "open", the parameters (none when empty), no
  // folder and SW_SHOWNORMAL, without waiting; its result (above 32 means started).
  virtual std::intptr_t OpenSetupProgram(const std::wstring& path, const std::wstring& parameters) = 0;
  // CreateProcessW of the program with the command line, a hidden window, no
  // handles inherited; nothing when it could not be started.
  virtual std::unique_ptr<StartedProcess> StartHidden(const std::wstring& program,
                                                      const std::wstring& commandLine) = 0;
  // The package opened as a ZIP archive; nothing when it is not one.
  virtual std::unique_ptr<OpenedZip> OpenZip(const std::wstring& path) = 0;
  virtual RarExtraction ExtractRar(const std::wstring& path, const std::wstring& folder) = 0;
  // The cabinet (with any continuation cabinets beside it) copied below the
  // folder; false when it cannot be opened or copied.
  virtual bool ExtractCab(const std::wstring& path, const std::wstring& folder) = 0;
  virtual InfInstallResult InstallInfForDevice(const std::wstring& hardwareId, const std::wstring& infPath,
                                               const std::wstring& supportFolder) = 0;
  virtual bool DeleteFolderTree(const std::wstring& path) = 0;
};

// The inputs, as the install sequence takes them from the update record and the
// download list.
struct PackageInstallRequest {
  std::wstring infPath;           // the INF's path inside the package (win7\a.inf)
  std::wstring packagePath;       // the saved package (C:\dl\abc.zip)
  std::uint32_t isSpecificCase = 0;  // setup switches flag: start a setup program with kSetupSwitches
  std::wstring hardwareId;
  std::wstring classDescription;  // the device's class description
  std::wstring supportFolder;     // the per-system support folder, ending in a backslash
  std::uint32_t isInstall = 0;    // INF install flag: unpack a setup program with 7-Zip
};

// Waits for 7-Zip: five minutes, then two more.
inline constexpr std::uint32_t kSevenZipFirstWaitMs = 300000;
inline constexpr std::uint32_t kSevenZipSecondWaitMs = 120000;
// ReportInstallStep's kind for a yes/no question (only the restart question).
inline constexpr int kStepKindQuestion = 6;
inline constexpr int kStepKindMessage = 0;

class CPackageInstaller {
 public:
  CPackageInstaller(InstallView& view, InstallParts& parts) : view_(view), parts_(parts) {}

  // 32 installed, 33 not installed (after a message, or silently where the
  // 7-Zip tool could not run), 34 missing input or package file.
  std::int32_t InstallPackage(const PackageInstallRequest& request);

  // Moves the install's bar to the percent; with a text, a question (kind 6)
  // only sets the restart-needed flag, anything else shows the text in an OK
  // box. Returns 7.
  int ReportInstallStep(int percent, const wchar_t* text = nullptr, int kind = kStepKindMessage);

 private:
  // The setup-program step: a self-extracting ZIP is unpacked, any other setup
  // program is started, or unpacked with 7-Zip when the INF install flag is set.
  // A result when the install ends here.
  std::optional<std::int32_t> HandleSetupProgram(const PackageInstallRequest& request, const PackageNames& names,
                                                 bool specialClass);
  // The archive steps; false once the failure has been reported.
  bool UnpackZip(const std::wstring& path, const std::wstring& unpackFolder);
  bool UnpackRar(const std::wstring& path, const std::wstring& unpackFolder);
  bool UnpackCab(const std::wstring& path, const std::wstring& unpackFolder);
  // The pause before a ZIP or RAR package is opened, with the bar at 15 and 30.
  void PauseBeforeOpening();

  InstallView& view_;
  InstallParts& parts_;
  int lastPercent_ = 0;
};

}  // namespace velkor
