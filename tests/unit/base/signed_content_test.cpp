#include "base/signed_content.hpp"

#include <gtest/gtest.h>

#include <string>

#include "base/byte_text.hpp"

namespace velkor {
namespace {

Sha256Digest DigestOf(std::string_view hex) {
  Sha256Digest digest{};
  for (std::size_t i = 0; i < digest.size(); ++i) {
    digest[i] = static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i * 2, 2)), nullptr, 16));
  }
  return digest;
}

// SHA-256 of "" and of "abc" (FIPS 180-2).
const Sha256Digest kEmpty = DigestOf("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
const Sha256Digest kAbc = DigestOf("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

TEST(SignedContent, MessageNamesThePurposeAndEachPartsDigest) {
  const Sha256Digest scan[] = {kAbc, kEmpty, kAbc};
  EXPECT_EQ(SignedMessage(SignaturePurpose::kScanAnswer, scan),
            "velkor-signature/1\nscan-answer\n"
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n"
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n");
  const Sha256Digest driver[] = {kAbc, kAbc, kEmpty, kEmpty};
  EXPECT_EQ(SignedMessage(SignaturePurpose::kDriverAnswer, driver).substr(0, 33),
            "velkor-signature/1\ndriver-answer\n");
  const Sha256Digest version[] = {kEmpty};
  EXPECT_EQ(SignedMessage(SignaturePurpose::kVersionFile, version),
            "velkor-signature/1\nversion-file\n"
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n");
}

TEST(SignedContent, EachPurposeTakesOnlyItsOwnNumberOfParts) {
  const Sha256Digest parts[] = {kAbc, kAbc, kAbc, kAbc, kAbc};
  for (auto purpose : {SignaturePurpose::kScanAnswer, SignaturePurpose::kDriverAnswer, SignaturePurpose::kVersionFile}) {
    for (std::size_t n = 0; n <= 5; ++n) {
      EXPECT_EQ(SignedMessage(purpose, std::span(parts, n)).empty(), n != PartCount(purpose))
          << PurposeLabel(purpose) << " with " << n;
    }
  }
}

TEST(SignedContent, KeyIdIsTheFirstEightBytesOfTheKeysDigest) {
  EXPECT_EQ(KeyIdOf(kAbc), "ba7816bf8f01cfea");
}

TEST(SignedContent, SignatureHeadersAreReadStrictly) {
  const std::string signature = Base64Encode(std::vector<std::uint8_t>(384, 0x5a));
  const auto read = ReadAnswerSignature(" ba7816bf8f01cfea\t", " " + signature + " ");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->keyId, "ba7816bf8f01cfea");
  EXPECT_EQ(read->signature, std::vector<std::uint8_t>(384, 0x5a));

  const std::pair<std::string, std::string> refused[] = {
      {"", signature},
      {"BA7816BF8F01CFEA", signature},   // upper case
      {"ba7816bf8f01cfe", signature},    // 15 digits
      {"ba7816bf8f01cfea0", signature},  // 17 digits
      {"ba7816bf8f01cfeg", signature},
      {"ba7816bf8f01cfea", ""},
      {"ba7816bf8f01cfea", signature.substr(1)},
      {"ba7816bf8f01cfea", Base64Encode(std::vector<std::uint8_t>(kMaxSignatureBytes + 1, 1))},
  };
  for (const auto& [keyId, value] : refused) {
    EXPECT_FALSE(ReadAnswerSignature(keyId, value).has_value()) << keyId << " / " << value.substr(0, 16);
  }
  EXPECT_TRUE(ReadAnswerSignature("ba7816bf8f01cfea", Base64Encode(std::vector<std::uint8_t>(kMaxSignatureBytes, 1))));
}

}  // namespace
}  // namespace velkor
