#include "download_fuzz_input.hpp"

#include <string>

#include "download/download_url.hpp"
#include "download/lookup_answer.hpp"

namespace velkor::fuzz {
namespace {

bool IsPlainExtension(const std::wstring& extension) {
  if (extension == kSafePackageExtension) return true;
  if (extension.size() < 2 || extension.size() > kMaxExtensionChars + 1 || extension[0] != L'.') return false;
  for (std::size_t i = 1; i < extension.size(); ++i) {
    const wchar_t c = extension[i];
    if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))) return false;
  }
  return true;
}

}  // namespace

std::string RunDownloadAnswerInput(const std::uint8_t* data, std::size_t size) {
  std::wstring answer;
  for (std::size_t i = 0; i + 1 < size; i += 2) answer.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

  const LookupAnswer split = SplitLookupAnswer(answer);
  if (split.url.empty() && !split.md5.empty()) return "an MD5 text without an address";
  if (!split.url.empty() && split.url + L"|" + split.md5 != answer) return "the split lost text";
  if (Md5Matches(split.md5, split.md5, Md5Case::Exact) != IsMd5Text(split.md5)) return "an MD5 text matched itself wrongly";

  // Whatever the address, the saved name stays one plain name in its folder.
  for (const std::wstring& text : {answer, split.url}) {
    if (!IsPlainExtension(PackageExtension(text))) return "an extension that is not a plain one";
    const std::optional<DownloadUrl> url = ParseDownloadUrl(text);
    if (url) {
      if (url->host.empty() || url->port == 0 || url->object.empty() || url->object.front() != L'/') {
        return "a read address without host, port or object";
      }
      for (const wchar_t c : url->object) {
        if (c <= L' ' || c == 0x7F || c == L'#') return "a blank, control character or fragment in the object";
      }
      std::wstring again = text;
      if (!ParseDownloadUrlWithHttpRetry(again) || again != text) return "the retry changed a readable address";
    }
  }
  return {};
}

}  // namespace velkor::fuzz
