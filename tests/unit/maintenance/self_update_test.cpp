// The self-update flow against one recorder that is view and parts at once:
// every call is logged in order, the files live in a map, and a version file
// is "signed" when it carries the recorder's key identifier and signature
// bytes over exactly its signed lines.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_text.hpp"
#include "base/signed_version_file.hpp"
#include "base/utf.hpp"
#include "maintenance/self_update.hpp"
#include "maintenance/version_file.hpp"

namespace velkor {
namespace {

constexpr char kKeyId[] = "0123456789abcdef";
const std::vector<std::uint8_t> kSignatureBytes = {1, 2, 3, 4};
constexpr wchar_t kData[] = L"C:\\data\\";
constexpr wchar_t kVersionUrl[] = L"https://updates.example/v1/app/version";
constexpr wchar_t kSetupUrl[] = L"https://updates.example/v1/app/setup";
constexpr wchar_t kVersionPath[] = L"C:\\data\\Velkor.zip";
constexpr wchar_t kSetupPath[] = L"C:\\data\\VELKOR.EXE";

Sha256Digest Digest(std::uint8_t fill) {
  Sha256Digest digest{};
  digest.fill(fill);
  return digest;
}

std::string Lines(const std::string& version, const std::string& sha = HexLower(Digest(0xab))) {
  std::string lines = "[RESOURCESTRING]\r\n";
  if (!version.empty()) lines += "VERSION=" + version + "\r\n";
  lines += "DOWNLOADURL=https://updates.example/v1/app/setup\r\n";
  if (!sha.empty()) lines += "SHA256=" + sha + "\r\n";
  return lines;
}

std::string Signed(const std::string& lines) {
  return AppendVersionFileSignature(lines, kKeyId, Base64Encode(kSignatureBytes));
}

class Recorder final : public SelfUpdateView, public SelfUpdateParts {
 public:
  std::vector<std::string> log;
  bool admin = true;
  bool connected = true;
  bool yes = true;
  std::wstring ownVersion = L"2.0.5.0";
  std::map<std::wstring, std::string> served;  // address -> bytes
  std::map<std::wstring, std::string> files;   // path -> bytes
  std::string signedFor;                       // the lines the signature was made over
  Sha256Digest setupDigest = Digest(0xab);     // what the downloaded setup hashes to
  std::function<void()> duringTransfer;
  bool throwInTransfer = false;

  void Log(const std::string& line) { log.push_back(line); }

  void ShowConnectionError(const std::wstring& text) override { Log("error: " + ToUtf8(text)); }
  void ShowNoUpdate(const std::wstring& text) override { Log("ok box: " + ToUtf8(text)); }
  bool AskToDownload(const std::wstring& text) override {
    Log("ask: " + ToUtf8(text));
    return yes;
  }

  bool IsAdministrator() override { return admin; }
  std::wstring OwnVersion() override { return ownVersion; }
  std::wstring DataFolder() override { return kData; }
  std::wstring VersionFileUrl() override { return kVersionUrl; }
  bool IsConnected() override {
    Log("connected?");
    return connected;
  }
  bool Transfer(const std::wstring& url, const std::wstring& path) override {
    Log("transfer " + ToUtf8(url) + " -> " + ToUtf8(path));
    if (duringTransfer) std::exchange(duringTransfer, nullptr)();
    if (throwInTransfer) throw std::runtime_error("library");
    const auto found = served.find(url);
    if (found == served.end()) return false;
    files[path] = found->second;
    return true;
  }
  bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
  void DeleteLocalFile(const std::wstring& path) override {
    Log("delete " + ToUtf8(path));
    files.erase(path);
  }
  std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) override {
    Log("read " + ToUtf8(path));
    const auto found = files.find(path);
    if (found == files.end() || found->second.size() > limit) return std::nullopt;
    return found->second;
  }
  bool VerifyVersionFile(std::string_view lines, const AnswerSignature& signature) override {
    return signature.keyId == kKeyId && signature.signature == kSignatureBytes && lines == signedFor;
  }
  SetupStart RunVerifiedSetup(const std::wstring& path, const Sha256Digest& expected) override {
    Log("start " + ToUtf8(path) + " if " + HexLower(expected).substr(0, 4));
    if (files.count(path) == 0) return SetupStart::kFailed;
    return setupDigest == expected ? SetupStart::kStarted : SetupStart::kHashMismatch;
  }

  // The service offers `lines`, signed.
  void Offer(const std::string& lines) {
    signedFor = lines;
    served[kVersionUrl] = Signed(lines);
    served[kSetupUrl] = "MZ setup";
  }
};

const std::string kVersionTransfer =
    "transfer https://updates.example/v1/app/version -> C:\\data\\Velkor.zip";
const std::string kSetupTransfer = "transfer https://updates.example/v1/app/setup -> C:\\data\\VELKOR.EXE";

TEST(VersionText, ComparesFourDottedParts) {
  struct Case {
    const wchar_t* own;
    const wchar_t* offered;
    bool newer;
  };
  const Case cases[] = {
      {L"2.0.5.0", L"1.9.6.0", false}, {L"2.0.5.0", L"2.0.5.1", true},  {L"2.0.5.0", L"3", true},
      {L"3.0.0.0", L"3", false},       {L"2.0.5.0", L"2.0.5.0", false}, {L"2.0.5.0", L"2.0.5.0.9", false},
      {L"2.0.5.0", L"2.0.10", true},   {L"2.0.5.0", L"", false},        {L"", L"0.0.0.1", true},
      {L"2.0.5.0", L"99999999999.0", true},  // saturates rather than wraps
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersionText(c.own, c.offered), c.newer) << ToUtf8(c.own) << " vs " << ToUtf8(c.offered);
  }
}

TEST(VersionFile, FieldsFollowTheProfileRules) {
  const VersionFileFields fields = ReadVersionFields(
      "; comment\r\n[other]\r\nVERSION=9\r\n[ resourcestring ]\r\n version = \"2.1.0.7\" \r\nVERSION=5\r\n"
      "downloadurl=x\r\nSHA256=" + HexLower(Digest(0x0f)) + "\r\n");
  EXPECT_EQ(fields.version, L"2.1.0.7");
  EXPECT_EQ(fields.downloadUrl, L"x");
  EXPECT_EQ(fields.setupSha256, Digest(0x0f));
  EXPECT_FALSE(ReadVersionFields("[RESOURCESTRING]\r\nSHA256=xyz\r\n").setupSha256);
  EXPECT_FALSE(ReadVersionFields("[RESOURCESTRING]\r\nSHA256=" + HexLower(Digest(1)) + "0\r\n").setupSha256);
}

TEST(SignedVersionFile, SplitsOnlyTheExactTrailer) {
  const std::string lines = Lines("2.1.0.7");
  const std::string file = Signed(lines);
  const std::optional<SignedVersionFile> split = SplitSignedVersionFile(file);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->signedLines, lines);
  EXPECT_EQ(split->signature.keyId, kKeyId);
  EXPECT_EQ(split->signature.signature, kSignatureBytes);
  const std::string signature = Base64Encode(kSignatureBytes);
  for (const std::string& bad : {
           lines,                                                                     // no signature
           file.substr(0, file.size() - 2),                                           // last line unended
           lines + "SIGNATURE=" + signature + "\r\nKEYID=" + kKeyId + "\r\n",        // swapped
           lines + "keyid=" + std::string(kKeyId) + "\r\nSIGNATURE=" + signature + "\r\n",  // lower case
           lines + "KEYID= " + std::string(kKeyId) + "\r\nSIGNATURE=" + signature + "\r\n", // blank
           lines + "KEYID=" + std::string(kKeyId) + "\nSIGNATURE=" + signature + "\r\n",   // LF only
           lines + "KEYID=0123\r\nSIGNATURE=" + signature + "\r\n",                   // short identifier
           lines + "KEYID=" + std::string(kKeyId) + "\r\nSIGNATURE=AQID!\r\n",        // not base64
           "KEYID=" + std::string(kKeyId) + "\r\nSIGNATURE=" + signature + "\r\n",    // nothing signed
           file + "\r\n",                                                             // a line after it
       }) {
    EXPECT_FALSE(SplitSignedVersionFile(bad)) << bad;
  }
}

TEST(SelfUpdate, NewerVersionDownloadedCheckedAndStarted) {
  Recorder r;
  r.Offer(Lines("2.0.5.1"));
  r.files[kVersionPath] = "stale";
  r.files[kSetupPath] = "old setup";
  CSelfUpdate update(r, r);
  EXPECT_TRUE(update.CheckForUpdate());
  const std::vector<std::string> expected = {
      "connected?",
      "delete C:\\data\\Velkor.zip",
      kVersionTransfer,
      "read C:\\data\\Velkor.zip",
      "ask: New Update is available. Do you want to download now?",
      "connected?",
      "delete C:\\data\\VELKOR.EXE",
      kSetupTransfer,
      "start C:\\data\\VELKOR.EXE if abab",
  };
  EXPECT_EQ(r.log, expected);
  EXPECT_EQ(update.LastEnd(), UpdateCheckEnd::kSetupStarted);
  EXPECT_EQ(update.OwnVersion(), L"2.0.5.0");
  EXPECT_EQ(update.OfferedVersion(), L"2.0.5.1");
  EXPECT_EQ(update.DownloadAddress(), kSetupUrl);
  EXPECT_FALSE(CSelfUpdate::CheckInProgress());
}

TEST(SelfUpdate, EveryOtherEndingAsATable) {
  const std::string noUpdate = "ok box: No New Update is available.";
  const std::string connection = "error: Cannot connect to server. Please retry to check for application update.";
  struct Case {
    const char* name;
    std::function<void(Recorder&)> setUp;
    UpdateCheckEnd end;
    std::vector<std::string> shown;  // message lines only
    bool setupLeft;                  // VELKOR.EXE still there afterwards
  };
  const std::vector<Case> cases = {
      {"older version", [](Recorder& r) { r.Offer(Lines("1.9.6.0")); }, UpdateCheckEnd::kNoUpdate, {noUpdate}, false},
      {"no VERSION key", [](Recorder& r) { r.Offer(Lines("")); }, UpdateCheckEnd::kNoUpdate, {noUpdate}, false},
      {"not connected", [](Recorder& r) { r.connected = false; }, UpdateCheckEnd::kNotConnected, {connection}, false},
      {"version file missing", [](Recorder& r) { r.Offer(Lines("3")); r.served.erase(kVersionUrl); },
       UpdateCheckEnd::kVersionFileFailed, {}, false},
      {"library throws", [](Recorder& r) { r.Offer(Lines("3")); r.throwInTransfer = true; },
       UpdateCheckEnd::kVersionFileFailed, {}, false},
      {"a byte changed", [](Recorder& r) {
         r.Offer(Lines("3"));
         std::string& file = r.served[kVersionUrl];
         file[file.find("VERSION=3")] = 'v';
       }, UpdateCheckEnd::kNotVerified, {noUpdate}, false},
      {"signed by another key", [](Recorder& r) {
         r.Offer(Lines("3"));
         r.served[kVersionUrl] = AppendVersionFileSignature(Lines("3"), "fedcba9876543210", Base64Encode(kSignatureBytes));
       }, UpdateCheckEnd::kNotVerified, {noUpdate}, false},
      {"unsigned", [](Recorder& r) { r.Offer(Lines("3")); r.served[kVersionUrl] = Lines("3"); },
       UpdateCheckEnd::kNotVerified, {noUpdate}, false},
      {"lines appended after the signature", [](Recorder& r) {
         r.Offer(Lines("1.0"));
         r.served[kVersionUrl] += "[RESOURCESTRING]\r\nVERSION=9\r\n";
       }, UpdateCheckEnd::kNotVerified, {noUpdate}, false},
      {"no setup digest", [](Recorder& r) { r.Offer(Lines("3", "")); }, UpdateCheckEnd::kNotVerified, {noUpdate}, false},
      {"declined", [](Recorder& r) { r.Offer(Lines("3")); r.yes = false; }, UpdateCheckEnd::kDeclined,
       {"ask: New Update is available. Do you want to download now?"}, false},
      {"setup missing", [](Recorder& r) { r.Offer(Lines("3")); r.served.erase(kSetupUrl); },
       UpdateCheckEnd::kSetupTransferFailed, {"ask: New Update is available. Do you want to download now?"}, false},
      {"setup of another digest", [](Recorder& r) { r.Offer(Lines("3")); r.setupDigest = Digest(0xcd); },
       UpdateCheckEnd::kSetupRejected, {"ask: New Update is available. Do you want to download now?"}, false},
  };
  for (const Case& c : cases) {
    Recorder r;
    c.setUp(r);
    CSelfUpdate update(r, r);
    update.CheckForUpdate();
    std::vector<std::string> shown;
    for (const std::string& line : r.log) {
      if (line.starts_with("ok box") || line.starts_with("error") || line.starts_with("ask")) shown.push_back(line);
    }
    EXPECT_EQ(update.LastEnd(), c.end) << c.name;
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(r.files.count(kSetupPath) != 0, c.setupLeft) << c.name;
    EXPECT_FALSE(CSelfUpdate::CheckInProgress()) << c.name;
  }
}

TEST(SelfUpdate, StaleVersionFileIsNeverReadAfterAFailedTransfer) {
  Recorder r;
  r.Offer(Lines("3"));
  r.files[kVersionPath] = Signed(Lines("3"));  // a good file of an earlier run
  r.served.erase(kVersionUrl);
  CSelfUpdate update(r, r);
  EXPECT_FALSE(update.CheckForUpdate());
  const std::vector<std::string> expected = {"connected?", "delete C:\\data\\Velkor.zip", kVersionTransfer};
  EXPECT_EQ(r.log, expected);
  EXPECT_EQ(r.files.count(kVersionPath), 0u);
}

TEST(SelfUpdate, NonAdministratorGetsNothing) {
  Recorder r;
  r.admin = false;
  r.Offer(Lines("3"));
  CSelfUpdate update(r, r);
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_TRUE(r.log.empty());
  EXPECT_EQ(update.LastEnd(), UpdateCheckEnd::kNone);
}

TEST(SelfUpdate, ASecondCommandDuringACheckIsIgnoredAndTheNextOneRuns) {
  Recorder r;
  r.Offer(Lines("1.0"));
  CSelfUpdate update(r, r);
  CSelfUpdate other(r, r);
  bool reentered = true;
  // The progress window pumps messages: a second menu command arrives.
  r.duringTransfer = [&] {
    reentered = other.CheckForUpdate();
    EXPECT_TRUE(CSelfUpdate::CheckInProgress());
  };
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_FALSE(reentered);
  EXPECT_EQ(update.LastEnd(), UpdateCheckEnd::kNoUpdate);
  EXPECT_EQ(other.LastEnd(), UpdateCheckEnd::kNone);
  // After "No New Update is available." the command works again.
  r.log.clear();
  r.Offer(Lines("2.0.5.1"));
  r.yes = false;
  update.CheckForUpdate();
  EXPECT_EQ(update.LastEnd(), UpdateCheckEnd::kDeclined);
  EXPECT_EQ(r.log.front(), "connected?");
}

}  // namespace
}  // namespace velkor
