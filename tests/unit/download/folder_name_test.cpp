#include "download/folder_name.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(MakeFolderName, DropsWhatAFileNameCannotHoldAndNeverNamesAFolderItself) {
  struct Case {
    const wchar_t* text;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"PCI\\VEN_8086&DEV_2922", L"PCIVEN_8086&DEV_2922"},
      {L"a\\b/c:d*e?f<g>h|i", L"abcdefghi"},
      {L"USB Mass Storage Device (x86) [v2.0]", L"USB Mass Storage Device (x86) [v2.0]"},
      {L"line\r\nbreak\ttab\x01\x1f", L"linebreaktab"},
      {L"\x7f" L" and \x20 stay", L"\x7f" L" and \x20 stay"},
      // Names that would be this folder or the one above, or no name at all.
      {L"", L"_"},
      {L"\\\\//::**?\?<<>>||", L"_"},
      {L".", L"_"},
      {L"..", L"_"},
      {L"...", L"_"},
      {L" . ", L"_"},
      {L"\\..\\", L"_"},
      {L".\t.", L"_"},
      {L"\x01\x02", L"_"},
      // Dots and blanks with anything else keep the plain rule.
      {L"..a", L"..a"},
      {L".hidden", L".hidden"},
      {L"a.", L"a."},
      {L"..\\..\\Windows", L"....Windows"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeFolderName(c.text), c.name) << c.text;
}

TEST(DownloadFileKey, IsTheFolderNameInLowerCase) {
  EXPECT_EQ(DownloadFileKey(L"PCI\\VEN_10EC&DEV_8168&SUBSYS_81681849"), L"pciven_10ec&dev_8168&subsys_81681849");
  EXPECT_EQ(DownloadFileKey(L"HDAUDIO\\FUNC_01&VEN_10EC"), L"hdaudiofunc_01&ven_10ec");
  EXPECT_EQ(DownloadFileKey(L".."), L"_");
}

}  // namespace
}  // namespace velkor
