#pragma once
// How much one transfer may write. A package larger than the disk can take,
// or a server that never ends its body, must end the transfer as a failure
// (and the partial file deleted) before the disk is full.

#include <cstdint>

namespace velkor {

// No driver package comes near this; a body that does is not one.
inline constexpr std::uint64_t kTransferByteLimit = 8ull << 30;  // 8 GiB
// Left free on the download folder's disk whatever a transfer needs.
inline constexpr std::uint64_t kFreeSpaceReserve = 16ull << 20;  // 16 MiB

struct TransferAllowance {
  std::uint64_t bytes = 0;  // what the transfer may add to its file
  bool byDisk = false;      // the disk's free space, not the limit, sets it
};

// What a transfer that starts at startOffset may add to its file: what the
// disk can take beyond the reserve (freeBytes as measured after the file was
// cut to the offset; freeKnown false when it could not be measured, or when
// nothing is written), and never more than makes the file `limit` bytes long.
TransferAllowance AllowanceFor(bool freeKnown, std::uint64_t freeBytes, std::uint64_t limit,
                               std::uint64_t startOffset);

}  // namespace velkor
