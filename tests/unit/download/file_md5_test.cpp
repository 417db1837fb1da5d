#include "download/file_md5.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core_test_files.hpp"

namespace velkor {
namespace {

using testing::ScratchFolder;
using testing::WriteAll;

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

TEST(FileMd5, DigestOfTheWholeFileAcrossChunks) {
  ScratchFolder folder;
  WriteAll(folder.File(L"abc.bin"), Text("abc"));
  WriteAll(folder.File(L"big.bin"), Text(std::string(1000000, 'a')));
  WriteAll(folder.File(L"empty.bin"), {});
  EXPECT_EQ(FileMd5(folder.File(L"abc.bin")), L"900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(FileMd5(folder.File(L"big.bin")), L"7707d6ae4e027c70eea2a935c2296f21");
  EXPECT_EQ(FileMd5(folder.File(L"empty.bin")), L"d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(FileMd5(folder.File(L"missing.bin")), L"");
  EXPECT_EQ(FileMd5(L""), L"");
  // A folder is not a package.
  EXPECT_EQ(FileMd5(folder.Path().wstring()), L"");
}

TEST(PackageReady, OnlyAListedPresentFileWithTheOfferedChecksum) {
  ScratchFolder folder;
  const std::wstring package = folder.File(L"pciven_10ec&dev_8168.zip");
  WriteAll(package, Text("abc"));

  DeviceRecord update;
  update.HardwareId = L"PCI\\VEN_10EC&DEV_8168";
  update.Md5 = L"900150983CD24FB0D6963F7D28E17F72";  // the service may write upper case
  StringMap list{{L"pciven_10ec&dev_8168", package}};

  struct Case {
    const char* what;
    StringMap list;
    std::wstring md5;
    std::wstring hardwareId;
    bool ready;
  };
  const Case cases[] = {
      {"listed, present, same checksum", list, update.Md5, update.HardwareId, true},
      {"not in the download list", {}, update.Md5, update.HardwareId, false},
      {"different checksum", list, L"0cc175b9c0f1b6a831c399e269772661", update.HardwareId, false},
      {"no checksum offered", list, L"", update.HardwareId, false},
      {"listed under another key", {{L"pci\\ven_10ec&dev_8168", package}}, update.Md5, update.HardwareId, false},
      {"no hardware ID", list, update.Md5, L"", false},
  };
  for (const Case& c : cases) {
    DeviceRecord probe = update;
    probe.Md5 = c.md5;
    probe.HardwareId = c.hardwareId;
    EXPECT_EQ(PackageReady(c.list, probe), c.ready) << c.what;
  }

  // The same entry once the file has been deleted.
  std::filesystem::remove(package);
  EXPECT_FALSE(PackageReady(list, update)) << "deleted file";
}

}  // namespace
}  // namespace velkor
