#include "digest.hpp"

#include <openssl/evp.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

namespace velkor::service {
namespace {

struct DigestContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

std::string Hex(const unsigned char* bytes, unsigned length) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (unsigned i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

std::string Finish(EVP_MD_CTX* context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  if (EVP_DigestFinal_ex(context, digest, &length) != 1) return {};
  return Hex(digest, length);
}

}  // namespace

std::optional<FileDigests> DigestFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  DigestContext md5(EVP_MD_CTX_new());
  DigestContext sha(EVP_MD_CTX_new());
  if (!md5 || !sha || EVP_DigestInit_ex(md5.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestInit_ex(sha.get(), EVP_sha256(), nullptr) != 1) {
    return std::nullopt;
  }
  FileDigests result;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    EVP_DigestUpdate(md5.get(), buffer.data(), static_cast<std::size_t>(got));
    EVP_DigestUpdate(sha.get(), buffer.data(), static_cast<std::size_t>(got));
    result.size += static_cast<std::uint64_t>(got);
  }
  if (in.bad()) return std::nullopt;
  result.md5 = Finish(md5.get());
  result.sha256 = Finish(sha.get());
  if (result.md5.empty() || result.sha256.empty()) return std::nullopt;
  return result;
}

std::string Sha256Hex(std::string_view bytes) {
  DigestContext sha(EVP_MD_CTX_new());
  if (!sha || EVP_DigestInit_ex(sha.get(), EVP_sha256(), nullptr) != 1) return {};
  EVP_DigestUpdate(sha.get(), bytes.data(), bytes.size());
  return Finish(sha.get());
}

}  // namespace velkor::service
