// The INF line reader: breaks, empty and overlong lines, zero bytes, the
// first line's two characters, and lines across the buffer's refills.

#include "backup/string_file.hpp"

#include <gtest/gtest.h>

#include "memory_inf_platform.hpp"

namespace velkor {
namespace {

std::vector<std::wstring> ReadLines(const std::string& bytes, std::wstring* error = nullptr) {
  fuzz::MemoryInfPlatform platform;
  platform.files.AddFile(L"C:\\f.inf", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  CStringFile file(platform);
  EXPECT_TRUE(file.Open(L"C:\\f.inf"));
  EXPECT_EQ(file.FileSize(), bytes.size());
  std::vector<std::wstring> lines;
  std::wstring line;
  while (file.ReadString(line)) lines.push_back(line);
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(file.ReadString(line));  // the end stays the end
  if (error) *error = file.ErrorText();
  return lines;
}

using Lines = std::vector<std::wstring>;

TEST(StringFile, LinesAsTheReaderCutsThem) {
  struct Case {
    const char* what;
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"only breaks", "\r\n\r\n\n\r\r", {}},
      {"one line without a break", "##abc", {L"abc"}},
      {"the first line loses two characters", "[Version]\r\nSignature=x\r\n", {L"ersion]", L"Signature=x"}},
      {"a first line of one character", "a\r\nb", {L"", L"b"}},
      {"an empty line between", "##abc\r\n\r\ndef", {L"abc", L"def"}},
      {"line feeds and carriage returns alone", "##a\nb\rc\n\n\nd", {L"a", L"b", L"c", L"d"}},
      {"a line of blanks is a line", "##a\r\n   \r\nb", {L"a", L"   ", L"b"}},
      {"zero bytes are skipped", std::string("##a\0b\0\0c\r\n\0\0d", 13), {L"abc", L"d"}},
      {"UTF-16LE with a byte-order mark", std::string("\xFF\xFE[\0V\0e\0r\0s\0i\0o\0n\0]\0\r\0\n\0x\0=\0\x31\0", 30),
       {L"[Version]", L"x=1"}},
      {"bytes of the code page", "##caf\xE9\r\n", {L"caf\u00e9"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadLines(c.bytes), c.lines) << c.what;
}

TEST(StringFile, OverlongLinesComeBackInPiecesWithTheErrorText) {
  std::wstring error;
  const Lines long3000 = ReadLines("##first\r\n" + std::string(3000, 'a') + "\r\nnext", &error);
  EXPECT_EQ(long3000, (Lines{L"first", std::wstring(2047, L'a'), std::wstring(953, L'a'), L"next"}));
  EXPECT_EQ(error, L"m_pBuffer overflow in line 2 (line length over 2048 chars)");

  // 2047 characters fill the line: the break that follows counts as a further
  // character, so the error text is set too.
  const Lines exactly = ReadLines("##f\r\n" + std::string(2047, 'b') + "\r\nz", &error);
  EXPECT_EQ(exactly, (Lines{L"f", std::wstring(2047, L'b'), L"z"}));
  EXPECT_EQ(error, L"m_pBuffer overflow in line 2 (line length over 2048 chars)");
  EXPECT_EQ(ReadLines("##f\r\n" + std::string(2046, 'b') + "\r\nz", &error).size(), 3u);
  EXPECT_EQ(error, L"");

  // A pair of breaks on an empty line is counted, a single one is not: abc is
  // line 1, the pair after it line 2, the long line line 3.
  ReadLines("##abc\r\n\r\n" + std::string(3000, 'c'), &error);
  EXPECT_EQ(error, L"m_pBuffer overflow in line 3 (line length over 2048 chars)");
}

TEST(StringFile, LinesAcrossRefillsAreWhole) {
  // Lines of every length up to beyond the buffer, breaks of every kind and
  // zero bytes, so that every kind of byte meets the buffer's end.
  std::string bytes = "##";
  Lines expected;
  const char* breaks[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\r\n"};
  for (int i = 0; i < 400; ++i) {
    std::string text;
    for (int k = 0; k < (i * 37) % 2600 + 1; ++k) text.push_back(static_cast<char>('a' + (i + k) % 26));
    for (std::size_t at = 0; at < text.size(); at += 2047) {
      const std::string piece = text.substr(at, 2047);
      expected.emplace_back(piece.begin(), piece.end());
    }
    if (i % 7 == 0) text.insert(text.size() / 2, std::string(1, '\0'));
    bytes += text + breaks[i % 5];
  }
  const Lines lines = ReadLines(bytes);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], expected[i]) << i;
}

TEST(StringFile, AFileThatCannotBeOpenedHasNoLines) {
  fuzz::MemoryInfPlatform platform;
  CStringFile file(platform);
  EXPECT_FALSE(file.Open(L"C:\\missing.inf"));
  std::wstring line = L"stale";
  EXPECT_FALSE(file.ReadString(line));
  EXPECT_TRUE(line.empty());
}

}  // namespace
}  // namespace velkor
