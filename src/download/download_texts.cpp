#include "download/download_texts.hpp"

#include <cwchar>

namespace velkor {
namespace {

std::wstring TwoDecimals(double value) {
  wchar_t text[64];
  std::swprintf(text, sizeof text / sizeof text[0], L"%0.2f", value);
  return text;
}

}  // namespace

std::wstring SizeLine(std::uint64_t bytes, std::uint64_t total) {
  const double done = static_cast<double>(bytes);
  const bool megabytes = done > 1024.0;
  const std::wstring number = TwoDecimals(megabytes ? done / 1048576.0 : done / 1024.0);
  return number + (megabytes ? L" MB " : L" KB ") + L" of " + TwoDecimals(static_cast<double>(total) / 1048576.0) +
         L" MB";
}

std::uint64_t TransferPercent(std::uint64_t resumeOffset, std::uint64_t bytes, std::uint64_t total) {
  std::uint64_t done = resumeOffset + bytes;
  if (done < resumeOffset) done = UINT64_MAX;  // a sum past the range is as good as all of it
  // done x 100 / total without forming done x 100: whole hundredths and the rest.
  const std::uint64_t whole = done / total;
  const std::uint64_t rest = done % total;
  const std::uint64_t restPercent =
      rest <= UINT64_MAX / 100 ? rest * 100 / total : rest / (total / 100 == 0 ? 1 : total / 100);
  if (whole > (UINT64_MAX - restPercent) / 100) return UINT64_MAX;
  return whole * 100 + restPercent;
}

float OverallPercent(float runTotal, float runIndex, float filePercent) {
  if (runTotal > 0 && runIndex >= 0) return (100.0f / runTotal) * (runIndex - 1) + filePercent / runTotal;
  return filePercent;
}

int ProgressBarPosition(float overall) {
  if (!(overall > 0)) return 0;  // also NaN
  if (overall >= 100) return 100;
  return static_cast<int>(overall);
}

std::wstring InsertArgument(std::wstring_view text, std::wstring_view insert) {
  std::wstring out;
  out.reserve(text.size() + insert.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'1') {
      out += insert;
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace velkor
