#include "core/list_store.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_bytes.hpp"
#include "core_test_files.hpp"

namespace velkor {
namespace {

using velkor::testing::ReadAll;
using velkor::testing::ScratchFolder;
using velkor::testing::WriteAll;

TEST(ListStore, SaveThenLoadGivesTheSameList) {
  ScratchFolder dir;
  const std::wstring path = dir.File(L"Download.dat");
  const StringMap list = {{L"k1", L"C:\\a.zip"}, {L"k2", L"C:\\b.cab"}};
  ASSERT_TRUE(SaveListFile(path, list));
  EXPECT_EQ(ReadAll(path), EncodeListFile(list));
  StringMap back;
  EXPECT_EQ(LoadListFile(path, back), ListLoadResult::Loaded);
  EXPECT_EQ(back, list);
  EXPECT_FALSE(FileExists(path + L".new"));
}

TEST(ListStore, MissingFileEmptiesTheList) {
  ScratchFolder dir;
  StringMap list = {{L"stale", L"x"}};
  EXPECT_EQ(LoadListFile(dir.File(L"Backup.dat"), list), ListLoadResult::NoFile);
  EXPECT_TRUE(list.empty());
}

TEST(ListStore, DamagedFileIsDeletedAndTheGoodPairsStay) {
  ScratchFolder dir;
  const std::wstring path = dir.File(L"Download.dat");
  for (bool empty_file : {true, false}) {
    SCOPED_TRACE(empty_file);
    std::vector<std::uint8_t> bytes = EncodeListFile({{L"a", L"1"}, {L"b", L"2"}});
    bytes.resize(empty_file ? 0 : bytes.size() - 3);  // cut inside the last string
    WriteAll(path, bytes);
    StringMap list = {{L"kept", L"k"}};
    EXPECT_EQ(LoadListFile(path, list), ListLoadResult::Damaged);
    EXPECT_FALSE(FileExists(path));
    if (empty_file) {
      EXPECT_EQ(list, (StringMap{{L"kept", L"k"}}));
    } else {
      EXPECT_EQ(list, (StringMap{{L"a", L"1"}, {L"kept", L"k"}}));
    }
  }
}

TEST(ListStore, DamagedFileGoesToTheCallersRemover) {
  ScratchFolder dir;
  const std::wstring path = dir.File(L"Download.dat");
  for (bool removes : {true, false}) {
    SCOPED_TRACE(removes);
    WriteAll(path, {1, 0, 0, 0});
    std::vector<std::wstring> asked;
    StringMap list;
    EXPECT_EQ(LoadListFile(path, list, DecodeLatin1,
                           [&](const std::wstring& file) {
                             asked.push_back(file);
                             return removes && RemoveFile(file);
                           }),
              ListLoadResult::Damaged);
    EXPECT_EQ(asked, std::vector<std::wstring>{path});
    EXPECT_EQ(FileExists(path), !removes);
  }
}

// A save that cannot complete must not cost the user the list already on disk.
TEST(ListStore, FailedSaveKeepsThePreviousFile) {
  ScratchFolder dir;
  const std::wstring path = dir.File(L"Backup.dat");
  const StringMap old_list = {{L"Backup 1", L"C:\\b1.zip"}};
  ASSERT_TRUE(SaveListFile(path, old_list));
  // The new content is written beside the file first; block that place.
  std::filesystem::create_directory(std::filesystem::path(path + L".new"));
  EXPECT_FALSE(SaveListFile(path, {{L"Backup 2", L"C:\\b2.zip"}}));
  StringMap back;
  EXPECT_EQ(LoadListFile(path, back), ListLoadResult::Loaded);
  EXPECT_EQ(back, old_list);
}

}  // namespace
}  // namespace velkor
