#include "test_keys.hpp"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "base/byte_text.hpp"

namespace velkor::service::testing {
namespace {

struct KeyFolder {
  KeyFolder() {
    char pattern[] = "/tmp/velkor-test-keys-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
    path = pattern;
    for (const char* name : {"scan", "driver", "version"}) {
      TestKeyPair pair{path + "/" + name + ".key", path + "/" + name + ".pub", ""};
      std::string error;
      const auto keyId = GenerateKeyPair(pair.privateKey, pair.publicKey, error);
      if (!keyId) throw std::runtime_error(error);
      pair.keyId = *keyId;
      pairs.push_back(pair);
    }
  }
  ~KeyFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
  std::vector<TestKeyPair> pairs;
};

const KeyFolder& Keys() {
  static const KeyFolder folder;
  return folder;
}

}  // namespace

const TestKeyPair& TestScanKey() { return Keys().pairs[0]; }
const TestKeyPair& TestDriverKey() { return Keys().pairs[1]; }
const TestKeyPair& TestVersionKey() { return Keys().pairs[2]; }

AnswerKeyFiles TestKeyFiles() {
  return {TestScanKey().privateKey, TestDriverKey().privateKey, TestVersionKey().privateKey};
}

bool VerifiesWith(const std::string& publicKeyFile, SignaturePurpose purpose,
                  std::span<const std::string_view> parts, const std::string& signatureBase64) {
  std::vector<Sha256Digest> digests;
  for (std::string_view part : parts) {
    Sha256Digest digest{};
    unsigned length = 0;
    EVP_Digest(part.data(), part.size(), digest.data(), &length, EVP_sha256(), nullptr);
    digests.push_back(digest);
  }
  const std::string message = SignedMessage(purpose, digests);
  const auto signature = Base64Decode(signatureBase64, kMaxSignatureBytes);
  if (message.empty() || !signature) return false;

  FILE* file = std::fopen(publicKeyFile.c_str(), "r");
  if (file == nullptr) return false;
  EVP_PKEY* key = PEM_read_PUBKEY(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  if (key == nullptr) return false;
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const bool ok = context != nullptr &&
                  EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, key) == 1 &&
                  EVP_DigestVerify(context, signature->data(), signature->size(),
                                   reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
  EVP_MD_CTX_free(context);
  EVP_PKEY_free(key);
  return ok;
}

}  // namespace velkor::service::testing
