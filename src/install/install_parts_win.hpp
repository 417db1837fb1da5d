#pragma once
// InstallParts over the system: the shell, processes, the archive libraries,
// the driver operations and the file system.

#include <memory>
#include <string>

#include "install/install_package.hpp"

namespace velkor {

class WinInstallParts final : public InstallParts {
 public:
  // programFolder: where unrar.dll lies (the running program's folder, ending
  // in a backslash).
  WinInstallParts(CDriverOperations& drivers, std::wstring programFolder);

  void SleepMilliseconds(std::uint32_t milliseconds) override;
  bool PathExists(const std::wstring& path) override;
  std::intptr_t OpenSetupProgram(const std::wstring& path, const std::wstring& parameters) override;
  std::unique_ptr<StartedProcess> StartHidden(const std::wstring& program, const std::wstring& commandLine) override;
  std::unique_ptr<OpenedZip> OpenZip(const std::wstring& path) override;
  RarExtraction ExtractRar(const std::wstring& path, const std::wstring& folder) override;
  bool ExtractCab(const std::wstring& path, const std::wstring& folder) override;
  InfInstallResult InstallInfForDevice(const std::wstring& hardwareId, const std::wstring& infPath,
                                       const std::wstring& supportFolder) override;
  bool DeleteFolderTree(const std::wstring& path) override;

 private:
  CDriverOperations& drivers_;
  std::wstring programFolder_;
};

}  // namespace velkor
