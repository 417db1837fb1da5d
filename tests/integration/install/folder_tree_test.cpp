// DeleteFolderTree through the shell's file operation.

#include <windows.h>

#include <gtest/gtest.h>

#include "install/folder_tree.hpp"
#include "wine_test_paths.hpp"

namespace velkor {
namespace {

using testing::Exists;
using testing::ScratchFolder;

void WriteFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, "x", 1, &written, nullptr);
  ::CloseHandle(file);
}

TEST(DeleteFolderTree, RemovesTheFolderWithEverythingInIt) {
  ScratchFolder scratch(L"tree");
  const std::wstring tree = scratch.path() + L"pkg";
  ASSERT_TRUE(::CreateDirectoryW(tree.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((tree + L"\\sub").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW((tree + L"\\sub\\deeper").c_str(), nullptr));
  WriteFile(tree + L"\\a.inf");
  WriteFile(tree + L"\\sub\\readonly.sys", FILE_ATTRIBUTE_READONLY);
  WriteFile(tree + L"\\sub\\deeper\\hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  WriteFile(scratch.path() + L"pkg.zip");  // the package beside it stays

  EXPECT_TRUE(DeleteFolderTree(tree));
  EXPECT_FALSE(Exists(tree));
  EXPECT_TRUE(Exists(scratch.path() + L"pkg.zip"));
}

TEST(DeleteFolderTree, RefusesPathsThatCouldDeleteMore) {
  ScratchFolder scratch(L"tree-refused");
  for (const wchar_t* name : {L"a1", L"a2"}) {
    ASSERT_TRUE(::CreateDirectoryW((scratch.path() + name).c_str(), nullptr));
  }
  const std::wstring refused[] = {scratch.path() + L"a*", scratch.path() + L"a?", scratch.path() + L"a1\\",
                                  L"a1", L"C:\\", L"C:", L""};
  for (const std::wstring& path : refused) EXPECT_FALSE(DeleteFolderTree(path)) << path.c_str();
  EXPECT_TRUE(Exists(scratch.path() + L"a1"));
  EXPECT_TRUE(Exists(scratch.path() + L"a2"));
}

}  // namespace
}  // namespace velkor
