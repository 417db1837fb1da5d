#pragma once
// The public keys Network.dll trusts, as PEM text compiled in at build time
// (cmake/VelkorSigningKeys.cmake), and the check of a signed answer with them.

#include <span>
#include <string_view>

#include "base/signed_content.hpp"
#include "http_client_win.hpp"

namespace velkor {
extern const char kScanAnswerKeys[];
extern const char kDriverAnswerKeys[];
}  // namespace velkor

namespace velkor::network {

// True when the answer carries a signature by a trusted key of the purpose
// over these parts; an answer without one, or with any other, is refused.
bool IsSignedAnswer(SignaturePurpose purpose, std::span<const std::string_view> parts, const HttpAnswer& answer);

}  // namespace velkor::network
