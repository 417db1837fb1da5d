#include "answer_signing.hpp"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/pem.hpp"
#include "package_fixtures.hpp"
#include "test_catalog.hpp"
#include "test_keys.hpp"

namespace velkor::service {
namespace {

using testing::TempFolder;
using testing::TestScanKey;
using testing::VerifiesWith;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(AnswerSigner, KeyIdIsTheDigestOfThePublicKeyFilesDer) {
  const auto blocks = ReadPemBlocks(ReadText(TestScanKey().publicKey), "PUBLIC KEY");
  ASSERT_TRUE(blocks && blocks->size() == 1);
  const std::string der((*blocks)[0].begin(), (*blocks)[0].end());
  EXPECT_EQ(TestScanKey().keyId, KeyIdOfPublicKey(der));
  std::string error;
  const auto signer = AnswerSigner::Load(TestScanKey().privateKey, error);
  ASSERT_TRUE(signer) << error;
  EXPECT_EQ(signer->KeyId(), TestScanKey().keyId);
}

TEST(AnswerSigner, SignatureHoldsOnlyForItsPurposeAndParts) {
  std::string error;
  const auto signer = AnswerSigner::Load(TestScanKey().privateKey, error);
  ASSERT_TRUE(signer) << error;
  const std::string_view windows = "Velkor-Windows-Version: 10.0.19045\r\n";
  const std::string_view parts[] = {"<newdataset/>\r\n", windows, "<NewDataSet/>\r\n"};
  const auto headers = signer->Sign(SignaturePurpose::kScanAnswer, parts);
  ASSERT_TRUE(headers);
  EXPECT_EQ(headers->keyId, TestScanKey().keyId);
  const std::string& publicKey = TestScanKey().publicKey;
  EXPECT_TRUE(VerifiesWith(publicKey, SignaturePurpose::kScanAnswer, parts, headers->signature));

  const std::string_view otherRequest[] = {"<newdataset></newdataset>", windows, "<NewDataSet/>\r\n"};
  const std::string_view otherWindows[] = {"<newdataset/>\r\n", "", "<NewDataSet/>\r\n"};
  const std::string_view otherAnswer[] = {"<newdataset/>\r\n", windows, "<NewDataSet/>\r\n "};
  const std::string_view asVersion[] = {"<newdataset/>\r\n<NewDataSet/>\r\n"};
  EXPECT_FALSE(VerifiesWith(publicKey, SignaturePurpose::kScanAnswer, otherRequest, headers->signature));
  EXPECT_FALSE(VerifiesWith(publicKey, SignaturePurpose::kScanAnswer, otherWindows, headers->signature));
  EXPECT_FALSE(VerifiesWith(publicKey, SignaturePurpose::kScanAnswer, otherAnswer, headers->signature));
  EXPECT_FALSE(VerifiesWith(publicKey, SignaturePurpose::kVersionFile, asVersion, headers->signature));
  EXPECT_FALSE(VerifiesWith(testing::TestDriverKey().publicKey, SignaturePurpose::kScanAnswer, parts,
                            headers->signature));
  // A wrong number of parts is never signed.
  EXPECT_FALSE(signer->Sign(SignaturePurpose::kDriverAnswer, parts));
}

// Writes a private key made by OpenSSL directly, for the keys the signer refuses.
std::string WriteKey(const TempFolder& folder, const char* name, EVP_PKEY* key, const char* passphrase = nullptr) {
  const std::string path = (folder.Path() / name).string();
  FILE* file = std::fopen(path.c_str(), "w");
  const EVP_CIPHER* cipher = passphrase ? EVP_aes_128_cbc() : nullptr;
  PEM_write_PrivateKey(file, key, cipher, reinterpret_cast<const unsigned char*>(passphrase),
                       passphrase ? 4 : 0, nullptr, nullptr);
  std::fclose(file);
  return path;
}

TEST(AnswerSigner, RefusesKeysItMustNotSignWith) {
  TempFolder folder;
  EVP_PKEY* small = EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(1024));
  EVP_PKEY* curve = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
  EVP_PKEY* good = EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(2048));
  ASSERT_TRUE(small && curve && good);
  const std::string refused[] = {
      (folder.Path() / "missing.key").string(),
      TestScanKey().publicKey,
      WriteKey(folder, "small.key", small),
      WriteKey(folder, "curve.key", curve),
      WriteKey(folder, "locked.key", good, "pass"),
  };
  for (const std::string& path : refused) {
    std::string error;
    EXPECT_FALSE(AnswerSigner::Load(path, error)) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
  std::string error;
  EXPECT_TRUE(AnswerSigner::Load(WriteKey(folder, "good.key", good), error)) << error;
  EVP_PKEY_free(small);
  EVP_PKEY_free(curve);
  EVP_PKEY_free(good);
}

TEST(GenerateKeyPair, KeepsThePrivateKeyPrivateAndNeverOverwrites) {
  TempFolder folder;
  const std::string privateKey = (folder.Path() / "a.key").string();
  const std::string publicKey = (folder.Path() / "a.pub").string();
  std::string error;
  const auto keyId = GenerateKeyPair(privateKey, publicKey, error);
  ASSERT_TRUE(keyId) << error;
  struct stat info {};
  ASSERT_EQ(stat(privateKey.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string before = ReadText(privateKey);
  EXPECT_FALSE(GenerateKeyPair(privateKey, (folder.Path() / "b.pub").string(), error));
  EXPECT_FALSE(GenerateKeyPair((folder.Path() / "b.key").string(), publicKey, error));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "b.key"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "b.pub"));
  EXPECT_EQ(ReadText(privateKey), before);

  const auto signer = AnswerSigner::Load(privateKey, error);
  ASSERT_TRUE(signer);
  EXPECT_EQ(signer->KeyId(), *keyId);
  EVP_PKEY* key = nullptr;
  if (FILE* file = std::fopen(privateKey.c_str(), "r")) {
    key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
  }
  ASSERT_TRUE(key);
  EXPECT_EQ(EVP_PKEY_get_bits(key), 3072);
  EVP_PKEY_free(key);
}

}  // namespace
}  // namespace velkor::service
