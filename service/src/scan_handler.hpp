#pragma once
// POST /v1/scan as a plain function: the request document in, the status and the
// answer document out. No HTTP here, so the fuzzer and the tests call it directly.

#include <cstddef>
#include <string>
#include <string_view>

#include "catalog_store.hpp"

namespace velkor::service {

// Bounds on one request. The client's device table has 2048 slots.
inline constexpr std::size_t kMaxScanBodyBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxScanDevices = 2048;

struct HandlerResult {
  int status = 200;
  std::string contentType;
  std::string body;
};

HandlerResult HandleScanRequest(std::string_view body, OfferSource& offers);

// Escapes "<", "&" and ">", the three characters the client's reader decodes
// besides quotes.
std::string EscapeXmlText(std::string_view text);

}  // namespace velkor::service
