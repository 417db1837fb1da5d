#pragma once
// Verifying the update service's signatures with the system's own
// cryptography: CryptoAPI's RSA and AES provider (PROV_RSA_AES), which has
// SHA-256 from Windows XP SP3 on. What is signed is base/signed_content.hpp's;
// Network.dll checks its answers with this, and so does the self-update.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/signed_content.hpp"

namespace velkor {

// SHA-256 through CryptoAPI; nullopt when the system cannot compute it.
std::optional<Sha256Digest> SystemSha256(std::span<const std::uint8_t> bytes);
std::optional<Sha256Digest> SystemSha256(std::string_view bytes);
// SHA-256 of an open file's whole content, read from its start through the
// handle (so that what is hashed is what that handle holds).
std::optional<Sha256Digest> SystemSha256OfFile(void* fileHandle);

// The public keys trusted for one purpose, each named by its key identifier
// (base/signed_content.hpp, KeyIdOf), so that a new key can be trusted beside
// the old one while the service changes over.
class SignatureKeySet {
 public:
  // Adds the key of one DER SubjectPublicKeyInfo. False, and nothing added,
  // unless it is an RSA key of at least 2048 bits that the system can import.
  bool AddKey(std::span<const std::uint8_t> der);
  // Adds every "PUBLIC KEY" block of a PEM text; false, and nothing added, when
  // the text cannot be read, holds no such block, or any one key would be
  // refused by AddKey.
  bool AddPem(std::string_view pem);

  std::size_t Size() const { return keys_.size(); }
  bool Has(std::string_view keyId) const;

  // True only when the key the signature names is in the set and the signature
  // is its RSASSA-PKCS1-v1_5 SHA-256 signature of SignedMessage(purpose, the
  // SHA-256 of each part). Any failure on the way is a refusal.
  bool Verify(SignaturePurpose purpose, std::span<const std::string_view> parts,
              const AnswerSignature& signature) const;

 private:
  struct Key {
    std::string id;
    std::vector<std::uint8_t> der;
  };
  const Key* Find(std::string_view keyId) const;
  std::vector<Key> keys_;
};

}  // namespace velkor
