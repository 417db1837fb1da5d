// Times one package extraction the way the install does it:
//   unpack_bench zip|cab|rar|7z PACKAGE UNPACK_FOLDER PROGRAM_FOLDER
// zip through the ZIP layer, cab through the system's FDI, rar through
// PROGRAM_FOLDER\unrar.dll, 7z by starting PROGRAM_FOLDER\extract\7z.exe with
// the install's command line. Prints the seconds taken; exit 1 on failure.
#include <windows.h>

#include <cstdio>
#include <string>

#include "backup/zip_file_system_win.hpp"
#include "install/archive_extraction_win.hpp"
#include "install/command_lines.hpp"
#include "install/driver_system_win.hpp"
#include "install/install_parts_win.hpp"
#include "install/zip_package.hpp"

namespace {

bool Extract(const std::wstring& kind, const std::wstring& package, const std::wstring& folder,
             const std::wstring& programFolder) {
  using namespace velkor;
  if (kind == L"zip") {
    std::unique_ptr<OpenedZip> zip = OpenZipPackage(ProcessZipFileSystem(), package);
    if (!zip) return false;
    zip->ExtractAll(folder);
    return true;
  }
  if (kind == L"cab") return ExtractCabinet(package, folder);
  if (kind == L"rar") return ExtractRarArchive(programFolder + L"unrar.dll", package, folder) == RarExtraction::Extracted;
  if (kind == L"7z") {
    const std::optional<std::wstring> line = SevenZipCommandLine(package, folder);
    WinInstallParts parts(TheDriverOperations(), programFolder);
    std::unique_ptr<StartedProcess> tool = parts.StartHidden(programFolder + L"extract\\7z.exe", *line);
    return tool && tool->WaitEnded(INFINITE) && tool->ExitCode() == 0u;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: unpack_bench zip|cab|rar|7z PACKAGE UNPACK_FOLDER PROGRAM_FOLDER\n");
    return 2;
  }
  std::wstring folder = argv[3];
  std::wstring programFolder = argv[4];
  if (folder.back() != L'\\') folder.push_back(L'\\');
  if (programFolder.back() != L'\\') programFolder.push_back(L'\\');
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  const bool done = Extract(argv[1], argv[2], folder, programFolder);
  ::QueryPerformanceCounter(&end);
  std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  return done ? 0 : 1;
}
