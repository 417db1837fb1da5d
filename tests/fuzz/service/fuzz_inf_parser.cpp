// Arbitrary bytes as an INF file: decoding, parsing and reading the driver facts
// never fail, and every ID read is one the client could send and match.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/text.hpp"
#include "inf_models.hpp"
#include "inf_parser.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor::service;
  const InfFile inf = InfFile::Parse(DecodeInfBytes({data, size}));
  const InfDriverInfo info = ReadInfDriverInfo(inf);
  for (const InfListedId& id : info.ids) {
    if (id.listed.empty() || id.listed.size() > kMaxIdChars) std::abort();
    if (id.listed.find(L'|') != std::wstring::npos) std::abort();
    if (id.key != velkor::AsciiToLower(id.listed)) std::abort();
  }
  if (!info.date.empty() && info.date.size() != 10) std::abort();
  return 0;
}
