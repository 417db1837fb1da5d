// The real HTTP downloader under Wine's WinINet against the test's own HTTP
// server (tools/http_test_server, started by http_downloader.sh): the address
// is in VELKOR_TEST_SERVER, the server's request log in VELKOR_TEST_SERVER_LOG
// (a Windows path). The server's root holds body.bin, kBodySize bytes of
// Pattern().

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "download/http_downloader.hpp"

namespace velkor {
namespace {

constexpr std::size_t kBodySize = 300000;

std::string Pattern(std::size_t size = kBodySize) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) % 251);
  return bytes;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::wstring Server() { return Environment(L"VELKOR_TEST_SERVER"); }

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The lines the server logged for requests whose path contains `part`.
std::vector<std::string> ServerLog(const std::string& part) {
  std::ifstream in(Environment(L"VELKOR_TEST_SERVER_LOG").c_str());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.find(part) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// The downloader with its quiet hooks recorded.
class Recorded : public CHttpDownloader {
 public:
  Recorded() : CHttpDownloader(L"Velkor") {}
  void ReportSystemError(UINT id, DWORD error) override { reports.push_back(SystemReportText(id, error)); }
  void ReportCodeError(UINT id, DWORD code) override { reports.push_back(CodeReportText(id, code)); }
  void ShowStatusText(const std::wstring& text) override { statuses.push_back(text); }
  void OnInternetStatus(HINTERNET, DWORD status, void* information, DWORD length) override {
    ShowConnectionStatus(status, information, length);
  }
  void OnContentLength(std::uint64_t length) override { contentLengths.push_back(length); }
  void OnProgress(std::uint64_t bytes, bool sizeKnown, std::uint64_t total) override {
    lastBytes = bytes;
    known = sizeKnown;
    lastTotal = total;
    ++progressCalls;
    if (onProgress) onProgress(bytes);
  }
  bool OnAuthChallenge(DWORD& error) override {
    ++challenges;
    return CHttpDownloader::OnAuthChallenge(error);
  }

  std::vector<std::wstring> reports, statuses;
  std::vector<std::uint64_t> contentLengths;
  std::uint64_t lastBytes = 0, lastTotal = 0;
  bool known = false;
  int progressCalls = 0;
  int challenges = 0;
  std::function<void(std::uint64_t)> onProgress;
};

class HttpDownloader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Server().empty()) << "VELKOR_TEST_SERVER is not set (run through http_downloader.sh)";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"velkor-download-test\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    target_ = folder_ + std::wstring(name.begin(), name.end()) + L".zip";
    DeleteFileW(target_.c_str());
  }
  void TearDown() override { DeleteFileW(target_.c_str()); }
  bool Fetch(Recorded& d, const std::wstring& path) {
    d.m_url = Server() + path;
    d.m_localFile = target_;
    return d.Download();
  }

  std::wstring folder_, target_;
};

TEST_F(HttpDownloader, WholeFile) {
  Recorded d;
  ASSERT_TRUE(Fetch(d, L"files/body.bin")) << (d.reports.empty() ? "" : std::string(d.reports[0].begin(), d.reports[0].end()));
  EXPECT_EQ(ReadAll(target_), Pattern());
  EXPECT_EQ(d.contentLengths, std::vector<std::uint64_t>{kBodySize});
  EXPECT_TRUE(d.known);
  EXPECT_EQ(d.lastBytes, kBodySize);
  EXPECT_EQ(d.lastTotal, kBodySize);
  // One progress report per piece of the 1024-byte buffer, and the last one at the end.
  EXPECT_GE(d.progressCalls, static_cast<int>(kBodySize / 1024));
  EXPECT_TRUE(d.reports.empty());
  EXPECT_EQ(d.m_fileOpened, 1);
  // The stages as status texts, in order; connecting names the server.
  const auto has = [&](const std::wstring& text) {
    for (const auto& s : d.statuses) {
      if (s == text) return true;
    }
    return false;
  };
  EXPECT_TRUE(has(L"Getting file information"));
  EXPECT_TRUE(has(L"Retrieving the file"));
  bool connecting = false;
  for (const auto& s : d.statuses) connecting = connecting || s.rfind(L"Connecting to ", 0) == 0;
  EXPECT_TRUE(connecting);
}

TEST_F(HttpDownloader, ResumeCutsTheFileAtTheOffsetAndAsksForTheRest) {
  const std::string body = Pattern();
  WriteAll(target_, body.substr(0, 100000) + std::string(5000, 'x'));
  Recorded d;
  d.m_startOffset = 100000;
  ASSERT_TRUE(Fetch(d, L"files/body.bin"));
  EXPECT_EQ(ReadAll(target_), body);
  const auto log = ServerLog("/files/body.bin range=bytes=100000-");
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(d.lastTotal, kBodySize);  // the offset plus the 206's length
}

TEST_F(HttpDownloader, ResumeWithoutAFileWritesFromTheOffset) {
  Recorded d;
  d.m_startOffset = 200000;
  ASSERT_TRUE(Fetch(d, L"files/body.bin"));
  const std::string file = ReadAll(target_);
  ASSERT_EQ(file.size(), kBodySize);
  EXPECT_EQ(file.substr(0, 200000), std::string(200000, '\0'));
  EXPECT_EQ(file.substr(200000), Pattern().substr(200000));
}

TEST_F(HttpDownloader, AnswersThatAreNotTheFile) {
  struct Case {
    const char* name;
    const wchar_t* path;
    std::function<void(Recorded&)> setup;
    std::vector<std::wstring> reports;
    int challenges;
  };
  const std::vector<Case> cases = {
      {"500", L"status/500", [](Recorded&) {},
       {L"Failed to receive a valid HTTP response from the server, Response Code:500"}, 0},
      {"404", L"files/missing.bin", [](Recorded&) {},
       {L"Failed to receive a valid HTTP response from the server, Response Code:404"}, 0},
      // A 401 without a user name goes to the challenge hook, whose default
      // refuses without an error: no report.
      {"401, the hook refuses", L"auth/body.bin", [](Recorded&) {}, {}, 1},
      {"401, no hook", L"auth/body.bin", [](Recorded& d) { d.m_serverAuthByHook = 0; },
       {L"Failed to receive a valid HTTP response from the server, Response Code:401"}, 0},
      // Stored credentials went with the first send: a 401 now is the hook's.
      {"401 with a wrong password", L"auth/body.bin",
       [](Recorded& d) {
         d.m_user = L"velkor";
         d.m_password = L"wrong";
       },
       {}, 1},
      {"407, the hook refuses", L"proxy-auth/body.bin", [](Recorded&) {}, {}, 1},
      {"407, no hook", L"proxy-auth/body.bin", [](Recorded& d) { d.m_proxyAuthByHook = 0; },
       {L"Failed to receive a valid HTTP response from the server, Response Code:407"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Recorded d;
    c.setup(d);
    EXPECT_FALSE(Fetch(d, c.path));
    EXPECT_EQ(d.reports, c.reports);
    EXPECT_EQ(d.challenges, c.challenges);
    // The file did not exist before: none is left behind.
    EXPECT_FALSE(Exists(target_));
  }
}

TEST_F(HttpDownloader, StoredCredentialsOpenTheDoor) {
  Recorded d;
  d.m_user = L"velkor";
  d.m_password = L"secret";
  ASSERT_TRUE(Fetch(d, L"auth/body.bin"));
  EXPECT_EQ(ReadAll(target_), Pattern());
  EXPECT_EQ(d.challenges, 0);
}

TEST_F(HttpDownloader, AFailedTransferKeepsAFileThatWasThere) {
  WriteAll(target_, "an older package");
  Recorded d;
  EXPECT_FALSE(Fetch(d, L"status/500"));
  EXPECT_TRUE(Exists(target_));
}

// WinINet ends the body without an error where the server closed; the
// announced length tells that half of it is missing.
TEST_F(HttpDownloader, BodyCutInTheMiddle) {
  Recorded d;
  EXPECT_FALSE(Fetch(d, L"cut/body.bin"));
  EXPECT_EQ(d.lastBytes, kBodySize / 2);
  ASSERT_EQ(d.reports.size(), 1u);
  EXPECT_EQ(d.reports[0].rfind(L"An error occurred while downloading the file, Error:", 0), 0u);
  EXPECT_FALSE(Exists(target_));
}

TEST_F(HttpDownloader, NoContentLength) {
  Recorded d;
  ASSERT_TRUE(Fetch(d, L"chunked/body.bin"));
  EXPECT_EQ(ReadAll(target_), Pattern());
  EXPECT_TRUE(d.contentLengths.empty());
  EXPECT_FALSE(d.known);
  EXPECT_EQ(d.lastBytes, kBodySize);
}

TEST_F(HttpDownloader, AnAddressWithoutSchemeIsFetchedOverHttp) {
  Recorded d;
  const std::wstring withScheme = Server() + L"files/body.bin";
  d.m_url = withScheme.substr(7);  // "127.0.0.1:PORT/files/body.bin"
  d.m_localFile = target_;
  ASSERT_TRUE(d.Download());
  EXPECT_EQ(d.m_url, withScheme);
  EXPECT_EQ(ReadAll(target_), Pattern());
}

TEST_F(HttpDownloader, AnAddressThatDoesNotReadFailsWithoutAReport) {
  Recorded d;
  d.m_url = L"http://bad host/x.zip";
  d.m_localFile = target_;
  EXPECT_FALSE(d.Download());
  EXPECT_TRUE(d.reports.empty());
  EXPECT_EQ(d.m_fileOpened, 0);
  EXPECT_FALSE(Exists(target_));
}

// A stop that the transfer notices after a progress report ends it as a good
// transfer of what arrived (the page's MD5 check then fails it).
TEST_F(HttpDownloader, StopNoticedAfterAProgressReport) {
  Recorded d;
  HANDLE arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  d.onProgress = [&](std::uint64_t bytes) {
    if (bytes < 8192 || WaitForSingleObject(arrived, 0) == WAIT_OBJECT_0) return;
    SetEvent(arrived);
    WaitForSingleObject(stopped, 60000);  // the transfer goes on once the stop is in
  };
  bool ok = false;
  std::thread transfer([&] { ok = Fetch(d, L"slow/body.bin"); });
  ASSERT_EQ(WaitForSingleObject(arrived, 60000), WAIT_OBJECT_0);
  d.Abort();
  SetEvent(stopped);
  transfer.join();
  CloseHandle(arrived);
  CloseHandle(stopped);
  EXPECT_TRUE(ok);
  EXPECT_EQ(d.lastBytes, 8192u);
  EXPECT_EQ(ReadAll(target_), Pattern().substr(0, 8192));
  EXPECT_TRUE(d.reports.empty());
  EXPECT_EQ(d.m_abort, 1);
  d.ClearAbort();
  EXPECT_EQ(d.m_abort, 0);
}

// The server sends half the body and waits. Abort from another thread closes
// the handles; Windows' WinINet ends a read blocked on them at once, Wine's
// only when data comes, so the server is let go on after the stop. Whichever
// way the transfer notices the stop, it ends there: a good end with what
// arrived (seen after a report), or a failure (seen in the read or in OnData)
// that leaves no file.
TEST_F(HttpDownloader, AbortEndsATransferThatWaitsForTheServer) {
  Recorded d;
  HANDLE half = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // A read waits until its buffer is full: the last whole piece of the half
  // is what arrives before the server stops.
  constexpr std::uint64_t kArrived = kBodySize / 2 / 1024 * 1024;
  d.onProgress = [&](std::uint64_t bytes) {
    if (bytes >= kArrived) SetEvent(half);
  };
  bool ok = true;
  std::thread transfer([&] { ok = Fetch(d, L"held/body.bin"); });
  ASSERT_EQ(WaitForSingleObject(half, 60000), WAIT_OBJECT_0);
  d.Abort();
  Recorded release;
  release.m_url = Server() + L"release";
  EXPECT_TRUE(release.Download());
  transfer.join();
  CloseHandle(half);
  EXPECT_LT(d.lastBytes, kBodySize);
  if (ok) {
    EXPECT_EQ(ReadAll(target_), Pattern().substr(0, d.lastBytes));
  } else {
    EXPECT_FALSE(Exists(target_));
  }
}

// A body larger than the disk can take, or one that never ends, fails the
// transfer before the disk is full; the partial file goes.
TEST_F(HttpDownloader, BoundedBodies) {
  {
    SCOPED_TRACE("announced larger than the disk");
    Recorded d;
    EXPECT_FALSE(Fetch(d, L"huge"));
    ASSERT_EQ(d.reports.size(), 1u);
    EXPECT_EQ(d.reports[0].rfind(L"An error occurred while downloading the file, Error:", 0), 0u);
    EXPECT_EQ(d.lastBytes, 0u);
    EXPECT_FALSE(Exists(target_));
  }
  {
    SCOPED_TRACE("never ends");
    Recorded d;
    d.m_maxTransferBytes = 1 << 20;
    EXPECT_FALSE(Fetch(d, L"endless"));
    ASSERT_EQ(d.reports.size(), 1u);
    EXPECT_EQ(d.reports[0].rfind(L"An error occurred while downloading the file, Error:", 0), 0u);
    EXPECT_LE(d.lastBytes, 1u << 20);
    EXPECT_FALSE(Exists(target_));
  }
}

TEST_F(HttpDownloader, FileThatCannotBeOpened) {
  Recorded d;
  d.m_url = Server() + L"files/body.bin";
  d.m_localFile = folder_ + L"no-such-folder\\x.zip";
  EXPECT_FALSE(d.Download());
  ASSERT_EQ(d.reports.size(), 1u);
  EXPECT_EQ(d.reports[0].rfind(L"An error occured while opening the file to be downloaded, Error:", 0), 0u);
  EXPECT_EQ(d.m_fileOpened, 0);
}

TEST_F(HttpDownloader, NothingListensThere) {
  Recorded d;
  d.m_url = L"http://127.0.0.1:1/x.zip";
  d.m_localFile = target_;
  EXPECT_FALSE(d.Download());
  ASSERT_EQ(d.reports.size(), 1u);
  EXPECT_EQ(d.reports[0].rfind(L"An error occurred connecting to the server, Error:", 0), 0u);
  EXPECT_FALSE(Exists(target_));
}

TEST(HttpDownloaderFlags, HttpsAsksForFullCertificateChecks) {
  struct Flags : CHttpDownloader {
    Flags() : CHttpDownloader(L"Velkor") {}
  } d;
  d.m_serviceType = INTERNET_SCHEME_HTTP;
  EXPECT_EQ(d.RequestFlags(), 0xC4400100u);
  d.m_serviceType = INTERNET_SCHEME_HTTPS;
  EXPECT_EQ(d.RequestFlags(), 0xC4C00100u);
  EXPECT_EQ(d.RequestFlags() & (INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID), 0u);
  d.m_noAutoRedirect = 1;
  EXPECT_EQ(d.RequestFlags(), 0xC4E00100u);
  d.m_startOffset = 42;
  EXPECT_EQ(d.ExtraHeaders(), L"Range: bytes=42-\r\n");
}

}  // namespace
}  // namespace velkor
