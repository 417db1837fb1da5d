#include "lookup/document_bytes.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(DecodeDocumentBytes, ReadsUtf8AndMarkedUtf16) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"<a>\xC3\xA4</a>"sv, L"<a>\u00e4</a>"},
      {"\xEF\xBB\xBF<a/>"sv, L"<a/>"},
      {"\xFF\xFE<\0a\0/\0>\0\x3D\xD8\x00\xDE"sv, L"<a/>\U0001F600"},
      {"\xFF\xFE<\0a"sv, L"<\uFFFD"},  // an odd last byte
      {""sv, L""},
      {"\xFF"sv, L"\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeDocumentBytes(c.bytes), c.text);
}

}  // namespace
}  // namespace velkor
