#include "answer_keys.hpp"

#include "platform/signature_check_win.hpp"

namespace velkor::network {
namespace {

// Read once, on first use. A key the system cannot use leaves its purpose with
// no trusted key at all (AddPem adds all or nothing), so every answer of it is
// refused.
SignatureKeySet LoadKeys(const char* pem) {
  SignatureKeySet keys;
  keys.AddPem(pem);
  return keys;
}

const SignatureKeySet* TrustedKeys(SignaturePurpose purpose) {
  switch (purpose) {
    case SignaturePurpose::kScanAnswer: {
      static const SignatureKeySet keys = LoadKeys(kScanAnswerKeys);
      return &keys;
    }
    case SignaturePurpose::kDriverAnswer: {
      static const SignatureKeySet keys = LoadKeys(kDriverAnswerKeys);
      return &keys;
    }
    case SignaturePurpose::kVersionFile:
      break;  // not an answer of this component
  }
  return nullptr;
}

}  // namespace

bool IsSignedAnswer(SignaturePurpose purpose, std::span<const std::string_view> parts, const HttpAnswer& answer) {
  const SignatureKeySet* keys = TrustedKeys(purpose);
  const std::optional<AnswerSignature> signature = ReadAnswerSignature(answer.keyId, answer.signature);
  return keys != nullptr && signature && keys->Verify(purpose, parts, *signature);
}

}  // namespace velkor::network
