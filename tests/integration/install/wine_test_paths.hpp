#pragma once
// Folders and files for the install tests under Wine.

#include <cstdint>
#include <set>
#include <string>

namespace velkor::testing {

// A host folder named by an environment variable, seen through Wine's drive
// Z:, ending in a backslash; empty when the variable is not set.
std::wstring HostFolderFromEnvironment(const wchar_t* variable);
// The staged test packages (VELKOR_INSTALL_FIXTURES).
std::wstring FixturesFolder();
// The program folder of the build, with the outside tools and support folders
// beside the program (VELKOR_PROGRAM_FOLDER).
std::wstring ProgramFolder();
// A package of the fixtures: packages\NAME.
std::wstring FixturePackage(const std::wstring& name);

// A fresh folder in the temporary folder, with everything in it removed at
// the end (read-only files too).
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The folder, ending in a backslash.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Every file below the folder, as relative paths with backslashes.
std::set<std::wstring> FilesBelow(const std::wstring& folder);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Copies a file into a folder; the copy's full path.
std::wstring CopyInto(const std::wstring& file, const std::wstring& folder);

}  // namespace velkor::testing
