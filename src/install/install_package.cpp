#include "install/install_package.hpp"

#include <set>

#include "base/path.hpp"
#include "install/command_lines.hpp"
#include "install/install_texts.hpp"
#include "inventory/classification.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {
namespace {

constexpr std::intptr_t kShellStartedAbove = 32;
constexpr std::uint32_t kSetupPauseMs = 100;
constexpr std::uint32_t kFirstOpeningPauseMs = 2000;
constexpr std::uint32_t kSecondOpeningPauseMs = 3000;
constexpr int kReportStepResult = 7;

bool IsSpecialClass(const std::wstring& classDescription) {
  std::set<std::wstring> names;
  return IsSpecialClassName(names, classDescription);
}

}  // namespace

int CPackageInstaller::ReportInstallStep(int percent, const wchar_t* text, int kind) {
  lastPercent_ = percent;
  view_.SetInstallPercent(percent);
  if (text != nullptr) {
    // The restart question is never asked: the answer is taken as No and the
    // flag tells the sequence that a restart is due.
    if (kind == kStepKindQuestion) {
      view_.SetRestartNeeded();
    } else {
      view_.ShowMessage(text);
    }
  }
  return kReportStepResult;
}

std::int32_t CPackageInstaller::InstallPackage(const PackageInstallRequest& request) {
  lastPercent_ = 0;
  if (request.infPath.empty() || request.packagePath.empty()) return kResultMissingInput;
  if (!parts_.PathExists(request.packagePath)) {
    ReportInstallStep(0, kTextInvalidFilePath);
    return kResultMissingInput;
  }
  const std::optional<PackageNames> names = DerivePackageNames(request.packagePath);
  if (!names) return kResultMissingInput;
  ReportInstallStep(0);

  const PackageKinds kinds = PackageKindsOf(request.packagePath);
  const bool specialClass = IsSpecialClass(request.classDescription);
  if (kinds.setup) {
    if (std::optional<std::int32_t> ended = HandleSetupProgram(request, *names, specialClass)) return *ended;
  }
  if (specialClass) {
    ReportInstallStep(lastPercent_, kTextSpecialClass);
    return kResultFailed;
  }
  if (kinds.zip && !UnpackZip(request.packagePath, names->unpackFolder)) return kResultFailed;
  if (kinds.rar && !UnpackRar(request.packagePath, names->unpackFolder)) return kResultFailed;
  if (kinds.cab && !UnpackCab(request.packagePath, names->unpackFolder)) return kResultFailed;

  // An INF path that would leave the unpack folder is never installed.
  InfInstallResult result;
  if (std::optional<std::wstring> inf = UnpackedInfPath(names->unpackFolder, request.infPath)) {
    result = parts_.InstallInfForDevice(request.hardwareId, *inf, request.supportFolder);
  }
  if (parts_.PathExists(names->unpackFolder)) parts_.DeleteFolderTree(names->folder + L"\\" + names->title);

  if (!result.installed) {
    ReportInstallStep(65, kTextInstallationFailed);
    return kResultFailed;
  }
  if (result.restartNeeded) {
    ReportInstallStep(100, kTextRestartQuestion, kStepKindQuestion);
  } else {
    ReportInstallStep(100);
  }
  return kResultCompleted;
}

std::optional<std::int32_t> CPackageInstaller::HandleSetupProgram(const PackageInstallRequest& request,
                                                                  const PackageNames& names, bool specialClass) {
  parts_.SleepMilliseconds(kSetupPauseMs);
  if (std::unique_ptr<OpenedZip> zip = parts_.OpenZip(request.packagePath)) {
    if (specialClass) {
      zip.reset();  // not left open while the message waits for the user
      ReportInstallStep(lastPercent_, kTextSpecialClass);
      return kResultFailed;
    }
    ReportInstallStep(25);
    zip->ExtractAll(names.unpackFolder);
    zip.reset();
    ReportInstallStep(65);
    return std::nullopt;
  }

  ReportInstallStep(25);
  parts_.SleepMilliseconds(kSetupPauseMs);
  if (request.isInstall == 0) {
    const std::wstring parameters = request.isSpecificCase != 0 ? kSetupSwitches : L"";
    if (parts_.OpenSetupProgram(request.packagePath, parameters) <= kShellStartedAbove) {
      ReportInstallStep(65, kTextCannotLaunchSetup);
      return kResultFailed;
    }
    ReportInstallStep(65);
    return std::nullopt;
  }

  // A setup program that 7-Zip can unpack: the tool lies below the program
  // folder, the parent of every support folder.
  const std::wstring target = JoinPath(JoinPath(names.folder, names.title), L"\\");
  const std::wstring supportRoot = SupportRoot(request.supportFolder);
  if (supportRoot.empty() || !parts_.PathExists(supportRoot)) {
    ReportInstallStep(lastPercent_, kTextNoSupportFiles);
    return kResultFailed;
  }
  const std::optional<std::wstring> commandLine = SevenZipCommandLine(request.packagePath, target);
  if (!commandLine) return kResultFailed;
  std::unique_ptr<StartedProcess> tool = parts_.StartHidden(JoinPath(supportRoot, L"extract\\7z.exe"), *commandLine);
  if (!tool) return kResultFailed;
  const bool ended = tool->WaitEnded(kSevenZipFirstWaitMs) || tool->WaitEnded(kSevenZipSecondWaitMs);
  tool.reset();
  if (!ended) return kResultFailed;
  ReportInstallStep(65);
  return std::nullopt;
}

void CPackageInstaller::PauseBeforeOpening() {
  ReportInstallStep(15);
  parts_.SleepMilliseconds(kFirstOpeningPauseMs);
  ReportInstallStep(30);
  parts_.SleepMilliseconds(kSecondOpeningPauseMs);
}

bool CPackageInstaller::UnpackZip(const std::wstring& path, const std::wstring& unpackFolder) {
  PauseBeforeOpening();
  std::unique_ptr<OpenedZip> zip = parts_.OpenZip(path);
  if (!zip) {
    ReportInstallStep(25, kTextZipCorrupt);
    return false;
  }
  zip->ExtractAll(unpackFolder);
  zip.reset();
  ReportInstallStep(65);
  return true;
}

bool CPackageInstaller::UnpackRar(const std::wstring& path, const std::wstring& unpackFolder) {
  PauseBeforeOpening();
  if (parts_.ExtractRar(path, unpackFolder) == RarExtraction::CannotOpen) {
    ReportInstallStep(25, kTextRarCorrupt);
    return false;
  }
  ReportInstallStep(65);
  return true;
}

bool CPackageInstaller::UnpackCab(const std::wstring& path, const std::wstring& unpackFolder) {
  ReportInstallStep(25);
  if (!parts_.ExtractCab(path, unpackFolder)) {
    ReportInstallStep(25, kTextCabCorrupt);
    return false;
  }
  ReportInstallStep(65);
  return true;
}

}  // namespace velkor
