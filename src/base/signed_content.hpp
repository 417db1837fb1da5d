#pragma once
// What the update service signs and how a signature travels, for both sides:
// the service signs with its private keys, Network.dll (and the self-update)
// verify with the public keys compiled into them.
//
// The signed bytes name the purpose and hold the SHA-256 of each part:
//
//   "velkor-signature/1\n" LABEL "\n" HEX(SHA-256(part 1)) "\n" ... HEX(SHA-256(part n)) "\n"
//
// The purpose label is inside the signed bytes, so a signature made for one
// purpose never verifies for another; each purpose has a fixed list of parts,
// so the parts of one cannot be read as the parts of another. The signature is
// RSASSA-PKCS1-v1_5 with SHA-256 over those bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// The parts of each purpose, in this order. "Windows" is the request's header
// lines that tell the service the running Windows (Velkor-Windows-Version,
// -Architecture, -Product-Type, -Suite-Mask, each "Name: value" CR LF, those
// sent, in that order; empty when none), on which the answer depends too.
enum class SignaturePurpose {
  kScanAnswer,    // parts: the scan request body as sent, Windows, the answer body
  kDriverAnswer,  // parts: the "id" query value, the "os" query value, Windows, the answer body
  kVersionFile,   // parts: the version file
};

inline constexpr char kKeyIdHeader[] = "X-Velkor-Key-Id";
inline constexpr char kSignatureHeader[] = "X-Velkor-Signature";
// RSA keys of up to 8192 bits; the service's keys have 3072.
inline constexpr std::size_t kMaxSignatureBytes = 1024;

using Sha256Digest = std::array<std::uint8_t, 32>;

// "scan-answer", "driver-answer", "version-file".
std::string_view PurposeLabel(SignaturePurpose purpose);
std::size_t PartCount(SignaturePurpose purpose);

// The bytes to sign or verify; empty when the number of digests is not the
// purpose's.
std::string SignedMessage(SignaturePurpose purpose, std::span<const Sha256Digest> partDigests);

// A key's identifier: the first 8 bytes of SHA-256 of its DER
// SubjectPublicKeyInfo, as 16 lower-case hexadecimal digits.
std::string KeyIdOf(const Sha256Digest& publicKeyDigest);

// A signature as an answer carries it: the key identifier and the signature
// bytes (base64 in the header). Blanks around either value are allowed, as in
// any HTTP header; anything else that is not exactly 16 lower-case hex digits,
// or canonical base64 of 1 to kMaxSignatureBytes bytes, is refused.
struct AnswerSignature {
  std::string keyId;
  std::vector<std::uint8_t> signature;
};
std::optional<AnswerSignature> ReadAnswerSignature(std::string_view keyIdValue, std::string_view signatureValue);

}  // namespace velkor
