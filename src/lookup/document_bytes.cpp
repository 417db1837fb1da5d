#include "lookup/document_bytes.hpp"

#include "base/utf.hpp"

namespace velkor {

std::wstring DecodeDocumentBytes(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return FromUtf16Le(bytes.substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return FromUtf8(bytes);
}

}  // namespace velkor
