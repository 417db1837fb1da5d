#include "base/signed_version_file.hpp"

namespace velkor {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The value of the line `line` (without its line end) when it is NAME=value.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line.substr(0, name.size()) != name || line[name.size()] != '=') {
    return std::nullopt;
  }
  return line.substr(name.size() + 1);
}

}  // namespace

std::string AppendVersionFileSignature(std::string_view signedLines, std::string_view keyId,
                                       std::string_view signatureBase64) {
  std::string file(signedLines);
  file.append(kVersionFileKeyIdName).append("=").append(keyId).append(kLineEnd);
  file.append(kVersionFileSignatureName).append("=").append(signatureBase64).append(kLineEnd);
  return file;
}

std::optional<SignedVersionFile> SplitSignedVersionFile(std::string_view file) {
  if (file.size() < kLineEnd.size() || file.substr(file.size() - kLineEnd.size()) != kLineEnd) return std::nullopt;
  const std::string_view body = file.substr(0, file.size() - kLineEnd.size());
  const std::size_t signatureStart = body.rfind(kLineEnd);
  if (signatureStart == std::string_view::npos) return std::nullopt;
  const std::string_view beforeSignature = body.substr(0, signatureStart);
  const std::size_t keyIdEnd = beforeSignature.rfind(kLineEnd);
  const std::size_t keyIdStart = keyIdEnd == std::string_view::npos ? 0 : keyIdEnd + kLineEnd.size();
  // At least one signed line before the signature's two.
  if (keyIdStart == 0) return std::nullopt;
  const std::optional<std::string_view> keyId = ValueOf(beforeSignature.substr(keyIdStart), kVersionFileKeyIdName);
  const std::optional<std::string_view> signature =
      ValueOf(body.substr(signatureStart + kLineEnd.size()), kVersionFileSignatureName);
  if (!keyId || !signature) return std::nullopt;
  // The header reading allows blanks around a value; a file line does not.
  if (keyId->find_first_of(" \t") != std::string_view::npos || signature->find_first_of(" \t") != std::string_view::npos) {
    return std::nullopt;
  }
  std::optional<AnswerSignature> read = ReadAnswerSignature(*keyId, *signature);
  if (!read) return std::nullopt;
  return SignedVersionFile{file.substr(0, keyIdStart), std::move(*read)};
}

}  // namespace velkor
