#include "core/list_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Head(const Bytes& bytes, std::size_t n) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)); }

TEST(ListFile, WritesTheDocumentedLayoutForOnePair) {
  const Bytes bytes = EncodeListFile({{L"a", L"bc"}});
  const Bytes expected = {
      0x01, 0x00, 0x00, 0x00,                    // entry count
      0x01, 0x00,                                // map count, 16 bits
      0xFF, 0xFE, 0xFF, 0x01, 'a', 0x00,         // wide marker, length 1, "a"
      0xFF, 0xFE, 0xFF, 0x02, 'b', 0x00, 'c', 0x00};
  EXPECT_EQ(bytes, expected);
}

TEST(ListFile, EmptyListIsSixBytes) {
  EXPECT_EQ(EncodeListFile({}), (Bytes{0, 0, 0, 0, 0, 0}));
}

TEST(ListFile, LengthFieldTakesOneThreeOrSevenBytes) {
  struct Case {
    std::size_t length;
    Bytes head;  // the string's bytes before its text
  };
  const Case cases[] = {
      {0, {0xFF, 0xFE, 0xFF, 0x00}},
      {254, {0xFF, 0xFE, 0xFF, 0xFE}},
      {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
      {300, {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}},
      {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::wstring text(c.length, L'x');
    Bytes out;
    PutListString(out, text);
    ASSERT_EQ(out.size(), c.head.size() + 2 * c.length);
    EXPECT_EQ(Head(out, c.head.size()), c.head);

    StringMap list;
    ASSERT_TRUE(DecodeListFile(EncodeListFile({{text, L"v"}}), list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.begin()->first, text);
  }
}

TEST(ListFile, MapCountOf65535AndMoreTakesTheLongForm) {
  StringMap big;
  for (int i = 0; i < 70000; ++i) big[L"k" + std::to_wstring(i)] = L"v";
  const Bytes bytes = EncodeListFile(big);
  EXPECT_EQ(Head(bytes, 10), (Bytes{0x70, 0x11, 0x01, 0x00, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
  StringMap back;
  ASSERT_TRUE(DecodeListFile(bytes, back));
  EXPECT_EQ(back, big);

  // 65534 is the largest count in the short form, 65535 needs the long one.
  StringMap edge;
  for (int i = 0; i < 65535; ++i) edge[L"k" + std::to_wstring(i)] = L"";
  EXPECT_EQ(Head(EncodeListFile(edge), 10), (Bytes{0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
  edge.erase(edge.begin());
  EXPECT_EQ(Head(EncodeListFile(edge), 6), (Bytes{0xFE, 0xFF, 0x00, 0x00, 0xFE, 0xFF}));
}

TEST(ListFile, RoundTripKeepsEveryTextExactly) {
  const StringMap list = {
      {L"PCI\\VEN_10DE&DEV_0191|6.14.10.4764", L"C:\\Users\\Jos\u00E9\\Velkor\\Download\\nv.zip"},
      {L"", L""},
      {L"\u65E5\u672C\u8A9E", L"quote \" and | pipe"},
  };
  StringMap back;
  ASSERT_TRUE(DecodeListFile(EncodeListFile(list), back));
  EXPECT_EQ(back, list);
}

TEST(ListFile, FileValueReplacesAndOtherEntriesStay) {
  StringMap list = {{L"keep", L"1"}, {L"both", L"old"}};
  ASSERT_TRUE(DecodeListFile(EncodeListFile({{L"both", L"new"}, {L"added", L"2"}}), list));
  EXPECT_EQ(list, (StringMap{{L"keep", L"1"}, {L"both", L"new"}, {L"added", L"2"}}));
}

TEST(ListFile, ReadsTheSingleByteForm) {
  Bytes bytes = {1, 0, 0, 0, 1, 0, 2, 'a', 'b', 0xFF, 0x2C, 0x01};
  bytes.insert(bytes.end(), 300, 0xE9);
  StringMap list;
  ASSERT_TRUE(DecodeListFile(bytes, list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.begin()->first, L"ab");
  EXPECT_EQ(list.begin()->second, std::wstring(300, L'\u00E9'));

  // The code page conversion is the caller's.
  StringMap converted;
  ASSERT_TRUE(DecodeListFile(bytes, converted, [](std::span<const std::uint8_t> b) {
    return std::wstring(b.size(), L'?');
  }));
  EXPECT_EQ(converted.begin()->first, L"??");
}

TEST(ListFile, TruncatedFileKeepsThePairsBeforeTheDamage) {
  const StringMap full = {{L"a", L"1"}, {L"b", L"22"}, {L"c", L"333"}};
  const Bytes bytes = EncodeListFile(full);
  // Where each pair ends: 6 bytes of counts, then per string 4 bytes of head.
  std::vector<std::size_t> pair_end;
  std::size_t at = 6;
  for (const auto& [k, v] : full) {
    at += 4 + 2 * k.size() + 4 + 2 * v.size();
    pair_end.push_back(at);
  }
  ASSERT_EQ(at, bytes.size());
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    StringMap list;
    EXPECT_FALSE(DecodeListFile(std::span(bytes).first(cut), list));
    std::size_t complete = 0;
    while (complete < pair_end.size() && pair_end[complete] <= cut) ++complete;
    EXPECT_EQ(list.size(), complete);
  }
}

TEST(ListFile, HostileLengthsAndCountsFailWithoutReadingPastTheEnd) {
  const Bytes cases[] = {
      // a 32-bit map count of 4 billion with no pairs behind it
      {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
      // a wide string claiming 0xFFFFFFFF code units
      {1, 0, 0, 0, 1, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0},
      // two wide markers in a row
      {1, 0, 0, 0, 1, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00},
      // the map count cut in half
      {1, 0, 0, 0, 1},
      // a length of 1 with no text
      {1, 0, 0, 0, 1, 0, 0xFF, 0xFE, 0xFF, 0x01},
  };
  for (const Bytes& bytes : cases) {
    StringMap list;
    EXPECT_FALSE(DecodeListFile(bytes, list));
    EXPECT_TRUE(list.empty());
  }
}

TEST(ListFile, CountIsBoundByTheEntryLimit) {
  // A count over the limit is damage before the first pair, whatever follows.
  for (const std::uint32_t count : {kListEntryLimit, kListEntryLimit + 1}) {
    SCOPED_TRACE(count);
    Bytes bytes = {0, 0, 0, 0, 0xFF, 0xFF, static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                   static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    PutListString(bytes, L"key");
    PutListString(bytes, L"value");
    StringMap list;
    EXPECT_FALSE(DecodeListFile(bytes, list));  // both are short of pairs
    EXPECT_EQ(list.size(), count == kListEntryLimit ? 1u : 0u);
  }
}

}  // namespace
}  // namespace velkor
