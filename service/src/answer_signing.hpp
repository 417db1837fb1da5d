#pragma once
// Signatures on the answers the program acts on (see base/signed_content.hpp
// and docs/protocol.md, "Signed answers"): one RSA private key per purpose,
// read from files named on the command line, never from the repository.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/signed_content.hpp"

namespace velkor::service {

// Private key files (PEM) per purpose; empty: answers of that purpose go
// unsigned (only tests run the service so).
struct AnswerKeyFiles {
  std::string scan;
  std::string driver;
  std::string version;
};

// The values of the two signature headers.
struct SignatureHeaders {
  std::string keyId;
  std::string signature;  // base64
};

// One private key. Signing is RSASSA-PKCS1-v1_5 with SHA-256 over
// SignedMessage(purpose, SHA-256 of each part); one signer may be used by
// several threads at once.
class AnswerSigner {
 public:
  ~AnswerSigner();
  AnswerSigner(const AnswerSigner&) = delete;
  AnswerSigner& operator=(const AnswerSigner&) = delete;

  // An RSA key of at least 2048 bits; nullptr with the reason otherwise.
  static std::unique_ptr<AnswerSigner> Load(const std::string& path, std::string& error);

  const std::string& KeyId() const { return keyId_; }
  std::optional<SignatureHeaders> Sign(SignaturePurpose purpose, std::span<const std::string_view> parts) const;

 private:
  struct Key;
  explicit AnswerSigner(std::unique_ptr<Key> key, std::string keyId);
  std::unique_ptr<Key> key_;
  std::string keyId_;
};

// The service's signers, one per purpose.
class AnswerSigning {
 public:
  AnswerSigning();
  ~AnswerSigning();
  AnswerSigning(AnswerSigning&&) noexcept;
  AnswerSigning& operator=(AnswerSigning&&) noexcept;

  // Loads every key that is named; false with the file and the reason.
  bool Load(const AnswerKeyFiles& files, std::string& error);

  // nullopt when the purpose has no key (or signing failed).
  // `windows`: the request's Velkor-Windows-* header lines as it sent them.
  std::optional<SignatureHeaders> ScanAnswer(std::string_view request, std::string_view windows,
                                             std::string_view answer) const;
  std::optional<SignatureHeaders> DriverAnswer(std::string_view id, std::string_view os, std::string_view windows,
                                               std::string_view answer) const;
  std::optional<SignatureHeaders> VersionFile(std::string_view file) const;
  bool Signs(SignaturePurpose purpose) const;

 private:
  std::unique_ptr<AnswerSigner> scan_;
  std::unique_ptr<AnswerSigner> driver_;
  std::unique_ptr<AnswerSigner> version_;
};

// Makes a 3072-bit RSA pair: the private key (PKCS#8 PEM, readable by the owner
// only) and the public key (SubjectPublicKeyInfo PEM, what the program's build
// takes). Existing files are never overwritten. The key identifier on success.
std::optional<std::string> GenerateKeyPair(const std::string& privatePath, const std::string& publicPath,
                                           std::string& error);

// The identifier of a key given as DER SubjectPublicKeyInfo.
std::string KeyIdOfPublicKey(std::string_view der);

}  // namespace velkor::service
