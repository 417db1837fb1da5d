#pragma once
// The texts and figures the download page computes while a package arrives:
// the size line of the log, the overall percentage of a run, and the insertion
// of a value into a message text of the transfer.

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

// "0.50 KB  of 3.20 MB": the bytes received so far in kilobytes, or in
// megabytes once more than 1024 bytes (not kilobytes) have arrived, and the
// total in megabytes; two decimals each.
std::wstring SizeLine(std::uint64_t bytes, std::uint64_t total);

// The whole percentage of this transfer: (resume offset + bytes) x 100 / total,
// in integer arithmetic that cannot overflow. total must not be 0.
std::uint64_t TransferPercent(std::uint64_t resumeOffset, std::uint64_t bytes, std::uint64_t total);

// The overall percentage of a run of runTotal devices while device runIndex
// (1-based) is at filePercent: (100 / runTotal) x (runIndex - 1) + filePercent /
// runTotal; filePercent itself outside a run (runTotal 0, or runIndex below 0).
float OverallPercent(float runTotal, float runIndex, float filePercent);
// Its whole part as a progress bar takes it, 0..100.
int ProgressBarPosition(float overall);

// A message text with every "%1" replaced by the insert.
std::wstring InsertArgument(std::wstring_view text, std::wstring_view insert);

}  // namespace velkor
