#pragma once
// PEM text (RFC 7468): base64 blocks between "-----BEGIN LABEL-----" and
// "-----END LABEL-----" lines. The public keys that the program trusts are
// compiled in in this form.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velkor {

// The decoded contents of every block with the given label, in text order.
// Text outside blocks and blocks with other labels are skipped; a block that
// does not end, holds anything but base64 lines (headers included) or decodes
// to more than 64 KiB makes the whole text unreadable (nullopt).
std::optional<std::vector<std::vector<std::uint8_t>>> ReadPemBlocks(std::string_view text,
                                                                     std::string_view label);

}  // namespace velkor
