#pragma once
// The request headers in which Network.dll tells the update service which
// Windows is running (docs/protocol.md, "Which Windows asks"), beside the
// documents and without changing them. The component writes them; the service
// reads them. Platform-free: the values come from the system on one side and
// from the network on the other.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velkor::network {

inline constexpr char kWindowsVersionHeader[] = "Velkor-Windows-Version";            // 10.0.19045
inline constexpr char kWindowsArchitectureHeader[] = "Velkor-Windows-Architecture";  // amd64
inline constexpr char kWindowsProductHeader[] = "Velkor-Windows-Product-Type";       // 1
inline constexpr char kWindowsSuiteHeader[] = "Velkor-Windows-Suite-Mask";           // 0x00000100

struct ReportedWindows {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::string architecture;  // x86, amd64, ia64, arm, arm64
  std::uint32_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
  std::uint32_t suiteMask = 0;
};

// The architecture's name from the native machine of IsWow64Process2 (an
// IMAGE_FILE_MACHINE_ value) or from the processor architecture of the native
// system information (a PROCESSOR_ARCHITECTURE_ value); empty when unknown.
std::string ArchitectureOfMachine(std::uint16_t imageFileMachine);
std::string ArchitectureOfProcessor(std::uint16_t processorArchitecture);

// The four header lines, each ending in CR LF; empty when the architecture is
// not one of the names above (the service then judges by the documents alone).
std::string FormatWindowsHeaders(const ReportedWindows& windows);

// Reads the headers through lookup (a header's value by name, empty when
// absent). None unless the version, the architecture and the product type are
// all present and well-formed and the suite mask, when present, is too: a
// request that tells its system by halves is judged by its documents.
std::optional<ReportedWindows> ReadWindowsHeaders(
    const std::function<std::string(const char* name)>& lookup);

}  // namespace velkor::network
