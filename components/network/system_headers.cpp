#include "system_headers.hpp"

#include <cstdio>

namespace velkor::network {
namespace {

constexpr std::size_t kMaxValueChars = 64;

bool ReadDecimal(std::string_view text, std::uint32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFu) return false;
  value = static_cast<std::uint32_t>(v);
  return true;
}

bool ReadHex(std::string_view text, std::uint32_t& value) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
    return false;
  }
  std::uint32_t v = 0;
  for (char c : text.substr(2)) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    else return false;
    v = v * 16 + digit;
  }
  value = v;
  return true;
}

bool IsKnownArchitecture(std::string_view name) {
  return name == "x86" || name == "amd64" || name == "ia64" || name == "arm" || name == "arm64";
}

// HTTP allows blanks around a header value.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string ArchitectureOfMachine(std::uint16_t imageFileMachine) {
  switch (imageFileMachine) {
    case 0x014C: return "x86";    // IMAGE_FILE_MACHINE_I386
    case 0x8664: return "amd64";  // IMAGE_FILE_MACHINE_AMD64
    case 0x0200: return "ia64";   // IMAGE_FILE_MACHINE_IA64
    case 0x01C4: return "arm";    // IMAGE_FILE_MACHINE_ARMNT
    case 0xAA64: return "arm64";  // IMAGE_FILE_MACHINE_ARM64
    default: return {};
  }
}

std::string ArchitectureOfProcessor(std::uint16_t processorArchitecture) {
  switch (processorArchitecture) {
    case 0: return "x86";     // PROCESSOR_ARCHITECTURE_INTEL
    case 9: return "amd64";   // PROCESSOR_ARCHITECTURE_AMD64
    case 6: return "ia64";    // PROCESSOR_ARCHITECTURE_IA64
    case 5: return "arm";     // PROCESSOR_ARCHITECTURE_ARM
    case 12: return "arm64";  // PROCESSOR_ARCHITECTURE_ARM64
    default: return {};
  }
}

std::string FormatWindowsHeaders(const ReportedWindows& w) {
  if (!IsKnownArchitecture(w.architecture)) return {};
  char suite[16];
  std::snprintf(suite, sizeof suite, "0x%08X", static_cast<unsigned>(w.suiteMask));
  return std::string(kWindowsVersionHeader) + ": " + std::to_string(w.major) + "." +
         std::to_string(w.minor) + "." + std::to_string(w.build) + "\r\n" +
         kWindowsArchitectureHeader + ": " + w.architecture + "\r\n" + kWindowsProductHeader +
         ": " + std::to_string(w.productType) + "\r\n" + kWindowsSuiteHeader + ": " + suite + "\r\n";
}

std::optional<ReportedWindows> ReadWindowsHeaders(
    const std::function<std::string(const char* name)>& lookup) {
  const std::string versionText = lookup(kWindowsVersionHeader);
  const std::string archText = lookup(kWindowsArchitectureHeader);
  const std::string productText = lookup(kWindowsProductHeader);
  const std::string suiteText = lookup(kWindowsSuiteHeader);
  for (const std::string* text : {&versionText, &archText, &productText, &suiteText}) {
    if (text->size() > kMaxValueChars) return std::nullopt;
  }
  ReportedWindows w;
  const std::string_view version = Trimmed(versionText);
  const std::size_t dot1 = version.find('.');
  const std::size_t dot2 = dot1 == std::string_view::npos ? dot1 : version.find('.', dot1 + 1);
  if (dot2 == std::string_view::npos || !ReadDecimal(version.substr(0, dot1), w.major) ||
      !ReadDecimal(version.substr(dot1 + 1, dot2 - dot1 - 1), w.minor) ||
      !ReadDecimal(version.substr(dot2 + 1), w.build)) {
    return std::nullopt;
  }
  w.architecture = std::string(Trimmed(archText));
  if (!IsKnownArchitecture(w.architecture)) return std::nullopt;
  if (!ReadDecimal(Trimmed(productText), w.productType) || w.productType < 1 || w.productType > 3) {
    return std::nullopt;
  }
  const std::string_view suite = Trimmed(suiteText);
  if (!suite.empty() && !ReadHex(suite, w.suiteMask)) return std::nullopt;
  return w;
}

}  // namespace velkor::network
