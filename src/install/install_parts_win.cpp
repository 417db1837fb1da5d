#include "install/install_parts_win.hpp"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "backup/zip_file_system_win.hpp"
#include "install/archive_extraction_win.hpp"
#include "install/folder_tree.hpp"
#include "install/started_process_win.hpp"
#include "install/zip_package.hpp"

namespace velkor {

WinInstallParts::WinInstallParts(CDriverOperations& drivers, std::wstring programFolder)
    : drivers_(drivers), programFolder_(std::move(programFolder)) {}

void WinInstallParts::SleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool WinInstallParts::PathExists(const std::wstring& path) { return ::PathFileExistsW(path.c_str()) != FALSE; }

std::intptr_t WinInstallParts::OpenSetupProgram(const std::wstring& path, const std::wstring& parameters) {
  HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                                     nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::intptr_t>(result);
}

std::unique_ptr<StartedProcess> WinInstallParts::StartHidden(const std::wstring& program,
                                                             const std::wstring& commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  std::wstring line = commandLine;  // CreateProcessW may write into it
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return nullptr;
  }
  ::CloseHandle(process.hThread);
  return std::make_unique<ProcessHandle>(UniqueKernelHandle(process.hProcess));
}

std::unique_ptr<OpenedZip> WinInstallParts::OpenZip(const std::wstring& path) {
  return OpenZipPackage(ProcessZipFileSystem(), path);
}

RarExtraction WinInstallParts::ExtractRar(const std::wstring& path, const std::wstring& folder) {
  return ExtractRarArchive(programFolder_ + L"unrar.dll", path, folder);
}

bool WinInstallParts::ExtractCab(const std::wstring& path, const std::wstring& folder) {
  return ExtractCabinet(path, folder);
}

InfInstallResult WinInstallParts::InstallInfForDevice(const std::wstring& hardwareId, const std::wstring& infPath,
                                                      const std::wstring& supportFolder) {
  return drivers_.InstallInfForDevice(hardwareId, infPath, supportFolder);
}

bool WinInstallParts::DeleteFolderTree(const std::wstring& path) { return velkor::DeleteFolderTree(path); }

}  // namespace velkor
