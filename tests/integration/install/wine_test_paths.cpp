#include "wine_test_paths.hpp"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velkor::testing {

namespace fs = std::filesystem;

std::wstring HostFolderFromEnvironment(const wchar_t* variable) {
  const wchar_t* host = _wgetenv(variable);
  if (host == nullptr || *host != L'/') return {};
  std::wstring path = L"Z:";
  for (const wchar_t* c = host; *c != L'\0'; ++c) path.push_back(*c == L'/' ? L'\\' : *c);
  if (path.back() != L'\\') path.push_back(L'\\');
  return path;
}

std::wstring FixturesFolder() { return HostFolderFromEnvironment(L"VELKOR_INSTALL_FIXTURES"); }
std::wstring ProgramFolder() { return HostFolderFromEnvironment(L"VELKOR_PROGRAM_FOLDER"); }

std::wstring FixturePackage(const std::wstring& name) { return FixturesFolder() + L"packages\\" + name; }

ScratchFolder::ScratchFolder(const std::wstring& name) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wostringstream out;
  out << temp << L"velkor-install-tests\\" << name << L"-" << ::GetCurrentProcessId() << L"-" << counter++ << L"\\";
  path_ = out.str();
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(path_, error); it != fs::recursive_directory_iterator();
       it.increment(error)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  fs::remove_all(path_, error);
}

std::set<std::wstring> FilesBelow(const std::wstring& folder) {
  std::set<std::wstring> files;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    if (!entry.is_regular_file()) continue;
    std::wstring relative = fs::relative(entry.path(), folder).wstring();
    for (wchar_t& c : relative) {
      if (c == L'/') c = L'\\';
    }
    files.insert(relative);
  }
  return files;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring CopyInto(const std::wstring& file, const std::wstring& folder) {
  const std::wstring target = folder + fs::path(file).filename().wstring();
  fs::copy_file(file, target, fs::copy_options::overwrite_existing);
  return target;
}

}  // namespace velkor::testing
