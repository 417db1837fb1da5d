#include "install/zip_package.hpp"

#include <gtest/gtest.h>

#include "backup/memory_file_system.hpp"
#include "backup/zip_archive.hpp"

namespace velkor {
namespace {

TEST(ZipPackage, OpensZipArchivesAndExtractsEveryEntryBelowTheFolder) {
  MemoryFileSystem files;
  files.AddFile(L"C:\\src\\nic.inf", "[Version]\r\n");
  files.AddFile(L"C:\\src\\WinXP\\nic.sys", "MZ");
  files.AddFolder(L"C:\\dl");
  {
    ZipHandle writer = ZipCreate(files, L"C:\\dl\\nic.zip");
    ASSERT_TRUE(writer);
    ASSERT_EQ(ZipAddFile(writer, L"C:\\src\\nic.inf", L"nic.inf"), kZipOk);
    ASSERT_EQ(ZipAddFile(writer, L"C:\\src\\WinXP\\nic.sys", L"WinXP\\nic.sys"), kZipOk);
    ASSERT_EQ(ZipClose(writer), kZipOk);
  }
  files.AddFile(L"C:\\dl\\setup.exe", "MZ not an archive");

  std::unique_ptr<OpenedZip> zip = OpenZipPackage(files, L"C:\\dl\\nic.zip");
  ASSERT_TRUE(zip);
  zip->ExtractAll(L"C:\\dl\\nic\\");
  zip.reset();
  ASSERT_NE(files.Find(L"C:\\dl\\nic\\nic.inf"), nullptr);
  ASSERT_NE(files.Find(L"C:\\dl\\nic\\WinXP\\nic.sys"), nullptr);
  EXPECT_EQ(files.Find(L"C:\\dl\\nic\\WinXP\\nic.sys")->bytes->size(), 2u);

  EXPECT_FALSE(OpenZipPackage(files, L"C:\\dl\\setup.exe"));
  EXPECT_FALSE(OpenZipPackage(files, L"C:\\dl\\missing.zip"));
}

}  // namespace
}  // namespace velkor
