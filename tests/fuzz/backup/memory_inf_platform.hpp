#pragma once
// The INF reader's platform over a memory file system, with the folders of a
// Windows XP installation on drive C and Latin-1 standing for the ANSI code
// page. Used by the unit tests and the fuzz target.

#include <map>

#include "backup/inf_platform.hpp"
#include "backup/memory_file_system.hpp"

namespace velkor::fuzz {

class MemoryInfPlatform final : public InfPlatform {
 public:
  MemoryFileSystem files;
  std::map<int, std::wstring> folders = {
      {kCsidlWindows, L"C:\\WINDOWS"},
      {kCsidlSystem, L"C:\\WINDOWS\\system32"},
      {kCsidlFonts, L"C:\\WINDOWS\\Fonts"},
      {kCsidlProgramFiles, L"C:\\Program Files"},
      {kCsidlProgramFilesCommon, L"C:\\Program Files\\Common Files"},
      {kCsidlProfile, L"C:\\Documents and Settings\\user"},
      {kCsidlCommonAppData, L"C:\\Documents and Settings\\All Users\\Application Data"},
  };
  std::int32_t osVersionCode = 4;
  int folderQueries = 0;

  std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) override {
    FileFacts facts;
    return files.OpenFile(path, facts);
  }
  bool FileExists(const std::wstring& path) override { return files.Probe(path) != PathKind::Missing; }
  std::wstring SpecialFolder(int csidl) override {
    ++folderQueries;
    const auto found = folders.find(csidl);
    return found == folders.end() ? std::wstring() : found->second;
  }
  std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) override {
    return std::wstring(bytes.begin(), bytes.end());
  }
  std::int32_t OsVersionCode() override { return osVersionCode; }
};

}  // namespace velkor::fuzz
