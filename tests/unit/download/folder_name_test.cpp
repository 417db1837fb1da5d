#include "download/folder_name.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(MakeFolderName, DropsEveryCharacterAFileNameCannotHold) {
  struct Case {
    const wchar_t* text;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"PCI\\VEN_8086&DEV_2922", L"PCIVEN_8086&DEV_2922"},
      {L"a\\b/c:d*e?f<g>h|i", L"abcdefghi"},
      {L"\\\\//::**?\?<<>>||", L""},
      {L"USB Mass Storage Device (x86) [v2.0]", L"USB Mass Storage Device (x86) [v2.0]"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeFolderName(c.text), c.name) << c.text;
}

TEST(DownloadFileKey, IsTheFolderNameInLowerCase) {
  EXPECT_EQ(DownloadFileKey(L"PCI\\VEN_10EC&DEV_8168&SUBSYS_81681849"), L"pciven_10ec&dev_8168&subsys_81681849");
  EXPECT_EQ(DownloadFileKey(L"HDAUDIO\\FUNC_01&VEN_10EC"), L"hdaudiofunc_01&ven_10ec");
}

}  // namespace
}  // namespace velkor
