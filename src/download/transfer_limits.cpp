#include "download/transfer_limits.hpp"

namespace velkor {

TransferAllowance AllowanceFor(bool freeKnown, std::uint64_t freeBytes, std::uint64_t limit,
                               std::uint64_t startOffset) {
  const std::uint64_t byLimit = limit > startOffset ? limit - startOffset : 0;
  if (!freeKnown) return {byLimit, false};
  const std::uint64_t byDisk = freeBytes > kFreeSpaceReserve ? freeBytes - kFreeSpaceReserve : 0;
  return byDisk < byLimit ? TransferAllowance{byDisk, true} : TransferAllowance{byLimit, false};
}

}  // namespace velkor
