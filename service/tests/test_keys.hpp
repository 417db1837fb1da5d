#pragma once
// Signing keys for the service tests, made once per test program, and an
// independent check of a signature with OpenSSL and the public key file.

#include <span>
#include <string>
#include <string_view>

#include "answer_signing.hpp"

namespace velkor::service::testing {

struct TestKeyPair {
  std::string privateKey;  // PEM file paths
  std::string publicKey;
  std::string keyId;
};

// Three pairs (scan, driver, version) in a folder that lives as long as the program.
const TestKeyPair& TestScanKey();
const TestKeyPair& TestDriverKey();
const TestKeyPair& TestVersionKey();
AnswerKeyFiles TestKeyFiles();

// True when the signature (base64) verifies with the public key over
// SignedMessage(purpose, SHA-256 of each part).
bool VerifiesWith(const std::string& publicKeyFile, SignaturePurpose purpose,
                  std::span<const std::string_view> parts, const std::string& signatureBase64);

}  // namespace velkor::service::testing
