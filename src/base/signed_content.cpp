#include "base/signed_content.hpp"

#include "base/byte_text.hpp"

namespace velkor {
namespace {

constexpr std::string_view kVersionLine = "velkor-signature/1\n";
constexpr std::size_t kKeyIdBytes = 8;

std::string_view TrimHeaderBlanks(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

bool IsKeyId(std::string_view text) {
  if (text.size() != kKeyIdBytes * 2) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

std::string_view PurposeLabel(SignaturePurpose purpose) {
  switch (purpose) {
    case SignaturePurpose::kScanAnswer:
      return "scan-answer";
    case SignaturePurpose::kDriverAnswer:
      return "driver-answer";
    case SignaturePurpose::kVersionFile:
      return "version-file";
  }
  return {};
}

std::size_t PartCount(SignaturePurpose purpose) {
  switch (purpose) {
    case SignaturePurpose::kScanAnswer:
      return 3;
    case SignaturePurpose::kDriverAnswer:
      return 4;
    case SignaturePurpose::kVersionFile:
      return 1;
  }
  return 0;
}

std::string SignedMessage(SignaturePurpose purpose, std::span<const Sha256Digest> partDigests) {
  const std::string_view label = PurposeLabel(purpose);
  if (label.empty() || partDigests.size() != PartCount(purpose)) return {};
  std::string message(kVersionLine);
  message.append(label);
  message.push_back('\n');
  for (const Sha256Digest& digest : partDigests) {
    message.append(HexLower(digest));
    message.push_back('\n');
  }
  return message;
}

std::string KeyIdOf(const Sha256Digest& publicKeyDigest) {
  return HexLower(std::span(publicKeyDigest).first(kKeyIdBytes));
}

std::optional<AnswerSignature> ReadAnswerSignature(std::string_view keyIdValue, std::string_view signatureValue) {
  const std::string_view keyId = TrimHeaderBlanks(keyIdValue);
  if (!IsKeyId(keyId)) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> signature = Base64Decode(TrimHeaderBlanks(signatureValue), kMaxSignatureBytes);
  if (!signature || signature->empty()) return std::nullopt;
  return AnswerSignature{std::string(keyId), std::move(*signature)};
}

}  // namespace velkor
