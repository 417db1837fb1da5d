#include "answer_signing.hpp"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/byte_text.hpp"

namespace velkor::service {
namespace {

constexpr int kMinimumBits = 2048;
constexpr int kGeneratedBits = 3072;

struct PkeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct PkeyContextFree {
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free_all(bio); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyContext = std::unique_ptr<EVP_PKEY_CTX, PkeyContextFree>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;
using Bio = std::unique_ptr<BIO, BioFree>;

Sha256Digest Sha256Of(std::string_view bytes) {
  Sha256Digest digest{};
  unsigned length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr);
  return digest;
}

std::string PublicDer(EVP_PKEY* key) {
  unsigned char* der = nullptr;
  const int length = i2d_PUBKEY(key, &der);
  if (length <= 0) return {};
  std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

// Writes a file that must not exist yet, with the given permissions.
bool WriteNewFile(const std::string& path, mode_t mode, const std::string& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) {
      error = path + ": " + std::strerror(errno);
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    error = path + ": " + std::strerror(errno);
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

std::string BioText(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

struct AnswerSigner::Key {
  Pkey pkey;
};

AnswerSigner::AnswerSigner(std::unique_ptr<Key> key, std::string keyId)
    : key_(std::move(key)), keyId_(std::move(keyId)) {}
AnswerSigner::~AnswerSigner() = default;

std::unique_ptr<AnswerSigner> AnswerSigner::Load(const std::string& path, std::string& error) {
  Bio file(BIO_new_file(path.c_str(), "r"));
  if (!file) {
    error = path + ": cannot be read";
    return nullptr;
  }
  // No pass phrase: the service starts unattended. An encrypted key is refused
  // rather than waiting for a terminal.
  Pkey key(PEM_read_bio_PrivateKey(file.get(), nullptr, [](char*, int, int, void*) { return 0; }, nullptr));
  if (!key) {
    error = path + ": not an unencrypted PEM private key";
    return nullptr;
  }
  if (EVP_PKEY_base_id(key.get()) != EVP_PKEY_RSA || EVP_PKEY_get_bits(key.get()) < kMinimumBits) {
    error = path + ": not an RSA key of at least 2048 bits";
    return nullptr;
  }
  const std::string der = PublicDer(key.get());
  if (der.empty()) {
    error = path + ": its public key cannot be encoded";
    return nullptr;
  }
  auto owned = std::make_unique<Key>();
  owned->pkey = std::move(key);
  return std::unique_ptr<AnswerSigner>(new AnswerSigner(std::move(owned), KeyIdOfPublicKey(der)));
}

std::optional<SignatureHeaders> AnswerSigner::Sign(SignaturePurpose purpose,
                                                   std::span<const std::string_view> parts) const {
  std::vector<Sha256Digest> digests;
  for (std::string_view part : parts) digests.push_back(Sha256Of(part));
  const std::string message = SignedMessage(purpose, digests);
  if (message.empty()) return std::nullopt;

  DigestContext context(EVP_MD_CTX_new());
  EVP_PKEY_CTX* keyContext = nullptr;  // owned by the digest context
  if (!context || EVP_DigestSignInit(context.get(), &keyContext, EVP_sha256(), nullptr, key_->pkey.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(keyContext, RSA_PKCS1_PADDING) != 1) {
    return std::nullopt;
  }
  std::size_t length = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  if (EVP_DigestSign(context.get(), nullptr, &length, bytes, message.size()) != 1) return std::nullopt;
  std::vector<std::uint8_t> signature(length);
  if (EVP_DigestSign(context.get(), signature.data(), &length, bytes, message.size()) != 1) return std::nullopt;
  signature.resize(length);
  return SignatureHeaders{keyId_, Base64Encode(signature)};
}

AnswerSigning::AnswerSigning() = default;
AnswerSigning::~AnswerSigning() = default;
AnswerSigning::AnswerSigning(AnswerSigning&&) noexcept = default;
AnswerSigning& AnswerSigning::operator=(AnswerSigning&&) noexcept = default;

bool AnswerSigning::Load(const AnswerKeyFiles& files, std::string& error) {
  const std::pair<const std::string*, std::unique_ptr<AnswerSigner>*> slots[] = {
      {&files.scan, &scan_}, {&files.driver, &driver_}, {&files.version, &version_}};
  for (const auto& [path, slot] : slots) {
    if (path->empty()) {
      slot->reset();
      continue;
    }
    *slot = AnswerSigner::Load(*path, error);
    if (!*slot) return false;
  }
  return true;
}

std::optional<SignatureHeaders> AnswerSigning::ScanAnswer(std::string_view request, std::string_view windows,
                                                          std::string_view answer) const {
  if (!scan_) return std::nullopt;
  const std::string_view parts[] = {request, windows, answer};
  return scan_->Sign(SignaturePurpose::kScanAnswer, parts);
}

std::optional<SignatureHeaders> AnswerSigning::DriverAnswer(std::string_view id, std::string_view os,
                                                            std::string_view windows, std::string_view answer) const {
  if (!driver_) return std::nullopt;
  const std::string_view parts[] = {id, os, windows, answer};
  return driver_->Sign(SignaturePurpose::kDriverAnswer, parts);
}

std::optional<SignatureHeaders> AnswerSigning::VersionFile(std::string_view file) const {
  if (!version_) return std::nullopt;
  const std::string_view parts[] = {file};
  return version_->Sign(SignaturePurpose::kVersionFile, parts);
}

bool AnswerSigning::Signs(SignaturePurpose purpose) const {
  switch (purpose) {
    case SignaturePurpose::kScanAnswer:
      return scan_ != nullptr;
    case SignaturePurpose::kDriverAnswer:
      return driver_ != nullptr;
    case SignaturePurpose::kVersionFile:
      return version_ != nullptr;
  }
  return false;
}

std::optional<std::string> GenerateKeyPair(const std::string& privatePath, const std::string& publicPath,
                                           std::string& error) {
  PkeyContext context(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr));
  EVP_PKEY* generated = nullptr;
  if (!context || EVP_PKEY_keygen_init(context.get()) != 1 ||
      EVP_PKEY_CTX_set_rsa_keygen_bits(context.get(), kGeneratedBits) != 1 ||
      EVP_PKEY_keygen(context.get(), &generated) != 1) {
    error = "key generation failed";
    return std::nullopt;
  }
  Pkey key(generated);
  Bio privateText(BIO_new(BIO_s_mem()));
  Bio publicText(BIO_new(BIO_s_mem()));
  if (!privateText || !publicText ||
      PEM_write_bio_PrivateKey(privateText.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
      PEM_write_bio_PUBKEY(publicText.get(), key.get()) != 1) {
    error = "key encoding failed";
    return std::nullopt;
  }
  if (::access(publicPath.c_str(), F_OK) == 0) {
    error = publicPath + ": exists already";
    return std::nullopt;
  }
  if (!WriteNewFile(privatePath, 0600, BioText(privateText.get()), error)) return std::nullopt;
  if (!WriteNewFile(publicPath, 0644, BioText(publicText.get()), error)) {
    ::unlink(privatePath.c_str());
    return std::nullopt;
  }
  return KeyIdOfPublicKey(PublicDer(key.get()));
}

std::string KeyIdOfPublicKey(std::string_view der) { return KeyIdOf(Sha256Of(der)); }

}  // namespace velkor::service
