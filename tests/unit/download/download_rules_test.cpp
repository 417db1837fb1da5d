#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "download/download_texts.hpp"
#include "download_fuzz_input.hpp"
#include "download/download_url.hpp"
#include "download/lookup_answer.hpp"
#include "download/transfer_limits.hpp"

namespace velkor {
namespace {

TEST(DownloadUrl, ReadsHttpAndHttpsAddresses) {
  struct Case {
    const wchar_t* url;
    bool secure;
    const wchar_t* host;
    int port;
    const wchar_t* object;
  };
  const Case cases[] = {
      {L"http://127.0.0.1:8750/v1/packages/net/e1000%20v8.zip", false, L"127.0.0.1", 8750,
       L"/v1/packages/net/e1000%20v8.zip"},
      {L"HTTPS://Updates.Example.com/a/b.cab", true, L"Updates.Example.com", 443, L"/a/b.cab"},
      {L"http://host", false, L"host", 80, L"/"},
      {L"http://host?x=1", false, L"host", 80, L"/?x=1"},
      {L"http://host/get.php?id=5&f=a.zip#part", false, L"host", 80, L"/get.php?id=5&f=a.zip"},
      {L"http://[::1]:8080/p.zip", false, L"[::1]", 8080, L"/p.zip"},
      {L"https://h:1/", true, L"h", 1, L"/"},
      {L"http://h:65535/x", false, L"h", 65535, L"/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.url, c.url + std::wcslen(c.url)));
    const std::optional<DownloadUrl> url = ParseDownloadUrl(c.url);
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->secure, c.secure);
    EXPECT_EQ(url->host, c.host);
    EXPECT_EQ(url->port, c.port);
    EXPECT_EQ(url->object, c.object);
  }
}

TEST(DownloadUrl, RefusesWhatIsNotAPlainHttpAddress) {
  for (const wchar_t* url : {L"", L"host/path/file.zip", L"ftp://host/file.zip", L"file:///C:/x.zip",
                             L"http://", L"http:///x", L"http://user:pw@host/x", L"http://host:0/x",
                             L"http://host:65536/x", L"http://host:80a/x", L"http://host:/x", L"http://ho st/x",
                             L"http://host/a b", L"http://host/a\tb", L"http://host/a\x7f", L"http://.host/",
                             L"http://[::1/x", L"http://[zz]/x", L"http://[::1]x/"}) {
    EXPECT_FALSE(ParseDownloadUrl(url).has_value()) << std::string(url, url + std::wcslen(url));
  }
}

TEST(DownloadUrl, AnAddressWithoutSchemeIsReadAsHttpAndKeepsThePrefix) {
  std::wstring url = L"127.0.0.1:8750/drivers/file.zip";
  const std::optional<DownloadUrl> parsed = ParseDownloadUrlWithHttpRetry(url);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(url, L"http://127.0.0.1:8750/drivers/file.zip");
  EXPECT_EQ(parsed->port, 8750);

  std::wstring scheme = L"https://host/x";
  ASSERT_TRUE(ParseDownloadUrlWithHttpRetry(scheme).has_value());
  EXPECT_EQ(scheme, L"https://host/x");

  std::wstring foreign = L"ftp://host/x";
  EXPECT_FALSE(ParseDownloadUrlWithHttpRetry(foreign).has_value());
  EXPECT_TRUE(HasForeignScheme(L"ftp://host/x"));
  EXPECT_TRUE(HasForeignScheme(L"File:///C:/windows/x.exe"));
  EXPECT_FALSE(HasForeignScheme(L"HTTP://host/x"));
  EXPECT_FALSE(HasForeignScheme(L"https://host/x"));
  EXPECT_FALSE(HasForeignScheme(L"host:8080/x"));
  EXPECT_FALSE(HasForeignScheme(L"host/x.zip"));
}

TEST(DownloadUrl, FileTitleIsTheLastPartOfTheObjectPath) {
  EXPECT_EQ(FileTitleOf(L"/v1/packages/net/e1000.zip"), L"e1000.zip");
  EXPECT_EQ(FileTitleOf(L"\\a\\b.cab"), L"b.cab");
  EXPECT_EQ(FileTitleOf(L"/"), L"/");
  EXPECT_EQ(FileTitleOf(L"name"), L"name");
  EXPECT_EQ(FileTitleOf(L"/dir/"), L"");
}

// The extension is joined to the download folder: whatever the address holds,
// the saved name stays one plain file name inside that folder.
TEST(PackageExtension, ComesFromThePathOnlyAndIsAPlainExtension) {
  struct Case {
    const wchar_t* url;
    const wchar_t* extension;
  };
  const Case cases[] = {
      {L"http://127.0.0.1:8750/v1/packages/net/e1000%20v8.zip", L".zip"},
      {L"http://host/drivers/PACKAGE.CAB", L".CAB"},
      {L"host/path/file.exe", L".exe"},
      {L"http://host/a.\\..\\..\\..\\evil.exe", L".exe"},
      {L"http://host/evil.exe\\..\\..\\x", L".bin"},
      {L"http://host/a.zip/../../x", L".bin"},
      {L"http://host/a.zip:stream", L".bin"},
      {L"http://host/get.php?file=../../evil.exe", L".php"},
      {L"http://host/download?file=a.zip", L".bin"},
      {L"http://host/file.zip#x.exe/..", L".zip"},
      {L"http://host/archive.", L".bin"},
      {L"http://download.example.com/file", L".bin"},
      {L"http://host/a.b c", L".bin"},
      {L"http://host/a.zi%70", L".bin"},
      {L"http://host/a.1234567890123456", L".1234567890123456"},
      {L"http://host/a.12345678901234567", L".bin"},
      {L"http://host/a.\x00e9xe", L".bin"},
      {L"", L".bin"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackageExtension(c.url), c.extension) << std::string(c.url, c.url + std::wcslen(c.url));
  }
}

TEST(LookupAnswer, SplitsAtTheFirstBar) {
  struct Case {
    const wchar_t* answer;
    const wchar_t* url;
    const wchar_t* md5;
  };
  const Case cases[] = {
      {L"http://h/p.zip|07891c954afd6e337d3f72d8a533c393", L"http://h/p.zip", L"07891c954afd6e337d3f72d8a533c393"},
      {L"http://h/p.zip|a|b", L"http://h/p.zip", L"a|b"},
      {L"http://h/p.zip|", L"http://h/p.zip", L""},
      {L"http://h/p.zip", L"", L""},
      {L"|07891c954afd6e337d3f72d8a533c393", L"", L""},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    const LookupAnswer answer = SplitLookupAnswer(c.answer);
    EXPECT_EQ(answer.url, c.url);
    EXPECT_EQ(answer.md5, c.md5);
  }
}

TEST(LookupAnswer, OnlyThirtyTwoHexDigitsCanMatch) {
  const std::wstring good = L"07891c954afd6e337d3f72d8a533c393";
  EXPECT_TRUE(Md5Matches(good, good, Md5Case::Exact));
  EXPECT_TRUE(Md5Matches(good, L"07891C954AFD6E337D3F72D8A533C393", Md5Case::Ignored));
  EXPECT_FALSE(Md5Matches(good, L"07891C954AFD6E337D3F72D8A533C393", Md5Case::Exact));
  // The checksum of a file that cannot be read is empty; so is a damaged answer's.
  EXPECT_FALSE(Md5Matches(L"", L"", Md5Case::Ignored));
  for (const wchar_t* bad : {L"", L"07891c954afd6e337d3f72d8a533c39", L"07891c954afd6e337d3f72d8a533c3933",
                             L"07891c954afd6e337d3f72d8a533c39g", L"07891c954afd6e337d3f72d8a533c393\r\n"}) {
    EXPECT_FALSE(IsMd5Text(bad));
    EXPECT_FALSE(Md5Matches(bad, bad, Md5Case::Ignored));
  }
}

TEST(DownloadTexts, SizeLineShowsKilobytesThenMegabytes) {
  EXPECT_EQ(SizeLine(512, 3355443), L"0.50 KB  of 3.20 MB");
  EXPECT_EQ(SizeLine(1024, 3355443), L"1.00 KB  of 3.20 MB");
  // More than 1024 bytes (not kilobytes) already reads in megabytes.
  EXPECT_EQ(SizeLine(1025, 3355443), L"0.00 MB  of 3.20 MB");
  EXPECT_EQ(SizeLine(3355443, 3355443), L"3.20 MB  of 3.20 MB");
  EXPECT_EQ(SizeLine(0, 0), L"0.00 KB  of 0.00 MB");
}

TEST(DownloadTexts, PercentagesOfATransferAndOfARun) {
  EXPECT_EQ(TransferPercent(0, 512, 1024), 50u);
  EXPECT_EQ(TransferPercent(100, 412, 1024), 50u);
  EXPECT_EQ(TransferPercent(0, 1023, 1024), 99u);
  EXPECT_EQ(TransferPercent(0, (8ull << 30) - 1, 8ull << 30), 99u);
  EXPECT_EQ(TransferPercent(0, 4ull << 30, 8ull << 30), 50u);
  EXPECT_EQ(TransferPercent(0, UINT64_MAX, UINT64_MAX), 100u);
  EXPECT_EQ(TransferPercent(UINT64_MAX, 5, 10), UINT64_MAX);

  EXPECT_FLOAT_EQ(OverallPercent(4, 1, 50), 12.5f);
  EXPECT_FLOAT_EQ(OverallPercent(4, 3, 100), 75.0f);
  EXPECT_FLOAT_EQ(OverallPercent(0, 0, 40), 40.0f);
  EXPECT_FLOAT_EQ(OverallPercent(4, -1, 40), 40.0f);
  EXPECT_EQ(ProgressBarPosition(OverallPercent(3, 2, 50)), 50);
  EXPECT_EQ(ProgressBarPosition(OverallPercent(4, 0, 0)), 0);  // -25 before the first device
  EXPECT_EQ(ProgressBarPosition(100.5f), 100);
}

TEST(DownloadTexts, InsertArgumentReplacesEveryPlaceholder) {
  EXPECT_EQ(InsertArgument(L"Connecting to %1", L"host"), L"Connecting to host");
  EXPECT_EQ(InsertArgument(L"Response Code:%1", L"500"), L"Response Code:500");
  EXPECT_EQ(InsertArgument(L"%1 and %1", L"%1"), L"%1 and %1");
  EXPECT_EQ(InsertArgument(L"no insert %2 %", L"x"), L"no insert %2 %");
}

TEST(TransferLimits, TheDiskAndTheLimitBoundATransfer) {
  constexpr std::uint64_t kMiB = 1ull << 20;
  const TransferAllowance roomy = AllowanceFor(true, 100ull << 30, kTransferByteLimit, 0);
  EXPECT_EQ(roomy.bytes, kTransferByteLimit);
  EXPECT_FALSE(roomy.byDisk);
  const TransferAllowance tight = AllowanceFor(true, 100 * kMiB, kTransferByteLimit, 0);
  EXPECT_EQ(tight.bytes, 100 * kMiB - kFreeSpaceReserve);
  EXPECT_TRUE(tight.byDisk);
  EXPECT_EQ(AllowanceFor(true, kFreeSpaceReserve / 2, kTransferByteLimit, 0).bytes, 0u);
  // A resumed file counts towards the limit.
  EXPECT_EQ(AllowanceFor(false, 0, 10 * kMiB, 4 * kMiB).bytes, 6 * kMiB);
  EXPECT_EQ(AllowanceFor(false, 0, 10 * kMiB, 12 * kMiB).bytes, 0u);
}

// The fuzz target's checks over the hostile answers above, on every platform.
TEST(DownloadAnswerFuzzInput, HostileAnswersKeepEveryRule) {
  for (const std::wstring answer :
       {L"http://127.0.0.1:8750/v1/packages/net/e1000%20v8.zip|07891c954afd6e337d3f72d8a533c393",
        L"http://host/a.\\..\\..\\evil.exe?x=1#y|zz", L"|", L"||", L"ftp://h/x.zip|", L"http://[::1]:1/a.b:c|",
        L"http://h/\x7f.zip|", L"host/x.zi\x00e9|0"}) {
    std::string bytes;
    for (const wchar_t c : answer) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    EXPECT_EQ(fuzz::RunDownloadAnswerInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "");
  }
}

}  // namespace
}  // namespace velkor
