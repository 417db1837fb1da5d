#include "inventory/image_path.hpp"
#include "inventory/signer_table.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(ImageFileCandidates, CutAtSystem32OrFallBackToTheDriversFolder) {
  struct Case {
    const wchar_t *image, *first, *fallback;
  };
  const Case cases[] = {
      {L"\\SystemRoot\\System32\\drivers\\RTL8139.sys", L"C:\\WINDOWS\\system32\\drivers\\rtl8139.sys",
       L"C:\\WINDOWS\\system32\\drivers\\RTL8139.sys"},
      {L"System32\\DRIVERS\\e100b325.sys", L"C:\\WINDOWS\\system32\\drivers\\e100b325.sys",
       L"C:\\WINDOWS\\system32\\drivers\\e100b325.sys"},
      {L"C:\\Program Files\\Vendor\\x.sys", L"C:\\WINDOWS\\c:\\program files\\vendor\\x.sys",
       L"C:\\WINDOWS\\system32\\drivers\\x.sys"},
      {L"bare.sys", L"C:\\WINDOWS\\bare.sys", L"C:\\WINDOWS\\system32\\drivers\\bare.sys"},
      {L"", L"C:\\WINDOWS\\", L"C:\\WINDOWS\\system32\\drivers\\"},
  };
  for (const Case& c : cases) {
    const ImageFileCandidates got = ImageFileCandidatesFor(L"C:\\WINDOWS", c.image);
    EXPECT_EQ(got.first, c.first);
    EXPECT_EQ(got.fallback, c.fallback);
  }
}

TEST(SignerTable, KeepsTheFirstRowsUpToItsCapacity) {
  SignerTable table;
  for (std::size_t i = 0; i < kSignerTableCapacity + 5; ++i) {
    table.Add({L"dev" + std::to_wstring(i), L"signer" + std::to_wstring(i), L""});
  }
  EXPECT_EQ(table.Count(), kSignerTableCapacity);
  EXPECT_EQ(table.Dropped(), 5u);
  EXPECT_EQ(table.SignerFor(L"DEV2047"), L"signer2047");
  EXPECT_EQ(table.SignerFor(L"dev2048"), L"");
  table.Clear();
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_EQ(table.SignerFor(L"dev1"), L"");
}

}  // namespace
}  // namespace velkor
