#include "base/path.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(JoinPath, InsertsExactlyOneBackslash) {
  struct Case {
    const wchar_t* path;
    const wchar_t* piece;
    const wchar_t* joined;
  };
  const Case cases[] = {
      {L"C:\\Data", L"\\Velkor", L"C:\\Data\\Velkor"},
      {L"C:\\Data\\", L"Velkor", L"C:\\Data\\Velkor"},
      {L"C:\\Data", L"Velkor", L"C:\\Data\\Velkor"},
      {L"C:\\Data", L"", L"C:\\Data"},
      {L"", L"\\Velkor", L"\\Velkor"},
      {L"C:\\Data", L"\\", L"C:\\Data\\"},
      {L"C:\\Data\\", L"\\", L"C:\\Data\\"},
      // Only one leading backslash of the piece is dropped.
      {L"C:\\Data\\", L"\\\\x", L"C:\\Data\\\\x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JoinPath(c.path, c.piece), c.joined) << c.path << " + " << c.piece;
  }
}

}  // namespace
}  // namespace velkor
