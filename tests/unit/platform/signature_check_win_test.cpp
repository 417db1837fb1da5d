// The signature checks under Wine's CryptoAPI, against signatures that OpenSSL
// made (signature_vectors.inc, written at build time by
// make_signature_vectors.sh).
#include "platform/signature_check_win.hpp"

#include <gtest/gtest.h>

#include <type_traits>

#include "base/byte_text.hpp"
#include "platform/crypt_handle.hpp"
#include "signature_vectors.inc"

namespace velkor {
namespace {

static_assert(!std::is_copy_constructible_v<UniqueCryptProvider>);
static_assert(!std::is_copy_assignable_v<UniqueCryptKey>);
static_assert(!std::is_copy_constructible_v<UniqueCryptHash>);
static_assert(!std::is_copy_constructible_v<UniqueLocalMemory>);

AnswerSignature Signed(const char* keyId, const char* base64) {
  return AnswerSignature{keyId, *Base64Decode(base64, kMaxSignatureBytes)};
}

TEST(SystemSha256, DigestsOfTheReferenceMessages) {
  EXPECT_EQ(HexLower(*SystemSha256(std::string_view(""))),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HexLower(*SystemSha256(std::string_view("abc"))),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HexLower(*SystemSha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(SignatureKeySet, KeysAreNamedAsTheServiceNamesThem) {
  SignatureKeySet keys;
  ASSERT_TRUE(keys.AddPem(k_key_pem));
  EXPECT_EQ(keys.Size(), 1u);
  EXPECT_TRUE(keys.Has(k_key_id));
  EXPECT_FALSE(keys.Has(k_other_id));
  ASSERT_TRUE(keys.AddPem(k_key_pem));  // the same key twice is one key
  EXPECT_EQ(keys.Size(), 1u);
}

TEST(SignatureKeySet, AcceptsOnlyTheSignatureOfTheseExactParts) {
  SignatureKeySet keys;
  ASSERT_TRUE(keys.AddPem(k_key_pem));
  const std::string_view parts[] = {k_request, k_windows, k_answer};
  ASSERT_TRUE(keys.Verify(SignaturePurpose::kScanAnswer, parts, Signed(k_key_id, k_scan_by_key)));

  std::string changed = k_answer;
  changed[3] ^= 1;
  const std::string_view otherAnswer[] = {k_request, k_windows, changed};
  const std::string_view otherRequest[] = {"<newdataset/>\r\n", k_windows, k_answer};
  const std::string_view otherWindows[] = {k_request, "", k_answer};
  const std::string_view swapped[] = {k_answer, k_windows, k_request};
  const std::string_view asVersion[] = {k_answer};
  AnswerSignature flipped = Signed(k_key_id, k_scan_by_key);
  flipped.signature[100] ^= 0x40;
  AnswerSignature shortened = Signed(k_key_id, k_scan_by_key);
  shortened.signature.pop_back();
  AnswerSignature longer = Signed(k_key_id, k_scan_by_key);
  longer.signature.insert(longer.signature.begin(), 0);

  const struct {
    const char* what;
    SignaturePurpose purpose;
    std::span<const std::string_view> parts;
    AnswerSignature signature;
  } refused[] = {
      {"one byte of the answer changed", SignaturePurpose::kScanAnswer, otherAnswer, Signed(k_key_id, k_scan_by_key)},
      {"another request", SignaturePurpose::kScanAnswer, otherRequest, Signed(k_key_id, k_scan_by_key)},
      {"another Windows told", SignaturePurpose::kScanAnswer, otherWindows, Signed(k_key_id, k_scan_by_key)},
      {"parts swapped", SignaturePurpose::kScanAnswer, swapped, Signed(k_key_id, k_scan_by_key)},
      {"another key, its own id", SignaturePurpose::kScanAnswer, parts, Signed(k_other_id, k_scan_by_other)},
      {"another key, the trusted id", SignaturePurpose::kScanAnswer, parts, Signed(k_key_id, k_scan_by_other)},
      {"another purpose's signature", SignaturePurpose::kScanAnswer, parts, Signed(k_key_id, k_version_by_key)},
      {"read as another purpose", SignaturePurpose::kVersionFile, asVersion, Signed(k_key_id, k_scan_by_key)},
      {"wrong number of parts", SignaturePurpose::kScanAnswer, asVersion, Signed(k_key_id, k_scan_by_key)},
      {"one bit of the signature", SignaturePurpose::kScanAnswer, parts, flipped},
      {"signature a byte short", SignaturePurpose::kScanAnswer, parts, shortened},
      {"signature a byte long", SignaturePurpose::kScanAnswer, parts, longer},
  };
  for (const auto& c : refused) EXPECT_FALSE(keys.Verify(c.purpose, c.parts, c.signature)) << c.what;

  // The version file's own signature holds for the version file.
  EXPECT_TRUE(keys.Verify(SignaturePurpose::kVersionFile, asVersion, Signed(k_key_id, k_version_by_key)));
}

TEST(SignatureKeySet, SeveralKeysWhileTheServiceChangesOver) {
  SignatureKeySet keys;
  ASSERT_TRUE(keys.AddPem(std::string(k_key_pem) + "\n" + k_other_pem + "\n"));
  EXPECT_EQ(keys.Size(), 2u);
  const std::string_view parts[] = {k_request, k_windows, k_answer};
  EXPECT_TRUE(keys.Verify(SignaturePurpose::kScanAnswer, parts, Signed(k_key_id, k_scan_by_key)));
  EXPECT_TRUE(keys.Verify(SignaturePurpose::kScanAnswer, parts, Signed(k_other_id, k_scan_by_other)));
  EXPECT_FALSE(keys.Verify(SignaturePurpose::kScanAnswer, parts, Signed(k_other_id, k_scan_by_key)));
}

TEST(SignatureKeySet, RefusesKeysThatAreNotStrongRsaKeys) {
  const std::string refused[] = {
      k_small_pem,
      k_curve_pem,
      "",
      "no key here\n",
      std::string(k_key_pem) + "\n" + k_small_pem,  // one bad key spoils the text
      "-----BEGIN PUBLIC KEY-----\nMIIBojANBgkqhkiG9w0BAQEFAAOCAY8AMIIBigKCAYEA\n-----END PUBLIC KEY-----\n",
  };
  for (const std::string& pem : refused) {
    SignatureKeySet keys;
    EXPECT_FALSE(keys.AddPem(pem)) << pem.substr(0, 80);
    EXPECT_EQ(keys.Size(), 0u);
  }
  SignatureKeySet keys;
  EXPECT_FALSE(keys.AddKey({}));
  const std::uint8_t garbage[] = {0x30, 0x03, 0x02, 0x01, 0x00};
  EXPECT_FALSE(keys.AddKey(garbage));
}

}  // namespace
}  // namespace velkor
