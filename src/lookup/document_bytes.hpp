#pragma once
// Documents exchanged with the update service as bytes: UTF-8, or UTF-16LE when
// they start with its byte-order mark. A UTF-8 byte-order mark is dropped.

#include <string>
#include <string_view>

namespace velkor {

std::wstring DecodeDocumentBytes(std::string_view bytes);

}  // namespace velkor
