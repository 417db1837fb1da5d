#include "platform/signature_check_win.hpp"

#include <algorithm>

#include "base/pem.hpp"
#include "platform/crypt_handle.hpp"

// SHA-256 came to CryptoAPI with Windows XP SP3; the headers declare it only for
// builds that target SP3, while ours targets XP and looks for it at run time
// (CryptCreateHash simply fails where it is missing).
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace velkor {
namespace {

constexpr DWORD kMinimumBits = 2048;

// A context without key containers: nothing is stored, nothing prompts.
UniqueCryptProvider AcquireVerifier() {
  UniqueCryptProvider provider;
  if (!CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    provider.release();  // the slot holds nothing on failure
  }
  return provider;
}

UniqueCryptHash NewSha256(HCRYPTPROV provider) {
  UniqueCryptHash hash;
  if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, hash.put())) hash.release();
  return hash;
}

// CryptHashData takes a 32-bit length: long texts go in pieces.
bool HashBytes(HCRYPTHASH hash, std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kPiece = 1u << 30;
  for (std::size_t offset = 0; offset < bytes.size(); offset += kPiece) {
    const std::size_t length = std::min(kPiece, bytes.size() - offset);
    if (!CryptHashData(hash, bytes.data() + offset, static_cast<DWORD>(length), 0)) return false;
  }
  return true;
}

std::optional<Sha256Digest> DigestOf(HCRYPTHASH hash) {
  Sha256Digest digest{};
  DWORD size = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(hash, HP_HASHVAL, digest.data(), &size, 0) || size != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

std::optional<Sha256Digest> Sha256With(HCRYPTPROV provider, std::span<const std::uint8_t> bytes) {
  const UniqueCryptHash hash = NewSha256(provider);
  if (!hash || !HashBytes(hash.get(), bytes)) return std::nullopt;
  return DigestOf(hash.get());
}

std::span<const std::uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The RSA key of a DER SubjectPublicKeyInfo, imported into `provider`, with its
// length in bits; an empty key for anything else.
UniqueCryptKey ImportRsaKey(HCRYPTPROV provider, std::span<const std::uint8_t> der, DWORD& bits) {
  UniqueCryptKey key;
  if (der.empty() || der.size() > 0xFFFF) return key;
  UniqueLocalMemory decoded;
  DWORD size = 0;
  void* info = nullptr;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der.data(), static_cast<DWORD>(der.size()),
                           CRYPT_DECODE_ALLOC_FLAG | CRYPT_DECODE_NOCOPY_FLAG, nullptr, &info, &size)) {
    return key;
  }
  decoded.reset(info);
  auto* publicKey = static_cast<CERT_PUBLIC_KEY_INFO*>(info);
  if (publicKey->Algorithm.pszObjId == nullptr || std::string_view(publicKey->Algorithm.pszObjId) != szOID_RSA_RSA) {
    return key;
  }
  if (!CryptImportPublicKeyInfo(provider, X509_ASN_ENCODING, publicKey, key.put())) {
    key.release();
    return key;
  }
  DWORD length = sizeof(bits);
  if (!CryptGetKeyParam(key.get(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &length, 0)) key.reset();
  return key;
}

}  // namespace

std::optional<Sha256Digest> SystemSha256(std::span<const std::uint8_t> bytes) {
  const UniqueCryptProvider provider = AcquireVerifier();
  if (!provider) return std::nullopt;
  return Sha256With(provider.get(), bytes);
}

std::optional<Sha256Digest> SystemSha256(std::string_view bytes) { return SystemSha256(BytesOf(bytes)); }

std::optional<Sha256Digest> SystemSha256OfFile(HANDLE file) {
  const UniqueCryptProvider provider = AcquireVerifier();
  if (!provider) return std::nullopt;
  const UniqueCryptHash hash = NewSha256(provider.get());
  if (!hash) return std::nullopt;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::nullopt;
  std::vector<std::uint8_t> buffer(1u << 16);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    if (!HashBytes(hash.get(), std::span(buffer).first(read))) return std::nullopt;
  }
  return DigestOf(hash.get());
}

bool SignatureKeySet::AddKey(std::span<const std::uint8_t> der) {
  const UniqueCryptProvider provider = AcquireVerifier();
  if (!provider) return false;
  DWORD bits = 0;
  if (!ImportRsaKey(provider.get(), der, bits) || bits < kMinimumBits) return false;
  const std::optional<Sha256Digest> digest = Sha256With(provider.get(), der);
  if (!digest) return false;
  std::string id = KeyIdOf(*digest);
  if (Find(id) == nullptr) keys_.push_back(Key{std::move(id), {der.begin(), der.end()}});
  return true;
}

bool SignatureKeySet::AddPem(std::string_view pem) {
  const auto blocks = ReadPemBlocks(pem, "PUBLIC KEY");
  if (!blocks || blocks->empty()) return false;
  SignatureKeySet added = *this;
  for (const auto& der : *blocks) {
    if (!added.AddKey(der)) return false;
  }
  *this = std::move(added);
  return true;
}

const SignatureKeySet::Key* SignatureKeySet::Find(std::string_view keyId) const {
  for (const Key& key : keys_) {
    if (key.id == keyId) return &key;
  }
  return nullptr;
}

bool SignatureKeySet::Has(std::string_view keyId) const { return Find(keyId) != nullptr; }

bool SignatureKeySet::Verify(SignaturePurpose purpose, std::span<const std::string_view> parts,
                             const AnswerSignature& signature) const {
  const Key* trusted = Find(signature.keyId);
  if (trusted == nullptr || parts.size() != PartCount(purpose)) return false;
  const UniqueCryptProvider provider = AcquireVerifier();
  if (!provider) return false;
  DWORD bits = 0;
  const UniqueCryptKey key = ImportRsaKey(provider.get(), trusted->der, bits);
  // An RSA signature is exactly as long as the key's modulus.
  if (!key || signature.signature.size() != bits / 8) return false;

  std::vector<Sha256Digest> digests;
  for (std::string_view part : parts) {
    const std::optional<Sha256Digest> digest = Sha256With(provider.get(), BytesOf(part));
    if (!digest) return false;
    digests.push_back(*digest);
  }
  const std::string message = SignedMessage(purpose, digests);
  UniqueCryptHash hash;
  if (message.empty() || !CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put())) {
    hash.release();
    return false;
  }
  if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(message.size()),
                     0)) {
    return false;
  }
  // CryptoAPI keeps signatures least significant byte first; the service (and
  // RFC 8017) write them most significant byte first.
  std::vector<BYTE> reversed(signature.signature.rbegin(), signature.signature.rend());
  return CryptVerifySignatureW(hash.get(), reversed.data(), static_cast<DWORD>(reversed.size()), key.get(), nullptr,
                               0) != FALSE;
}

}  // namespace velkor
