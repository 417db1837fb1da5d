#pragma once
// The optional "PACKAGE.json" beside a package (the package's full file name
// followed by ".json", for example "setup.exe.json"): what cannot be read from
// the package itself. Every key is optional; unknown keys are an error, so that
// a misspelt key is reported instead of silently ignored.
//
//   isInstall, isSpecificCase   0/1 or false/true
//   signer, provider, class     texts
//   date                        "MM/DD/YYYY" (as in DriverVer) or "YYYY-MM-DD"
//   version                     dotted version
//   infPath                     the INF inside the package ("/" or "\")
//   os                          array of OS version codes the package serves
//   ids                         array of hardware or compatible IDs

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

inline constexpr std::size_t kMaxSidecarBytes = 1024 * 1024;

struct Sidecar {
  std::optional<bool> isInstall;
  std::optional<bool> isSpecificCase;
  std::optional<std::wstring> signer;
  std::optional<std::wstring> provider;
  std::optional<std::wstring> className;
  std::optional<std::wstring> date;  // YYYY-MM-DD
  std::optional<std::wstring> version;
  std::optional<std::wstring> infPath;  // "/"-separated, cleaned
  std::optional<std::uint32_t> osMask;
  std::optional<std::vector<std::wstring>> ids;
};

bool ParseSidecar(std::string_view text, Sidecar& out, std::string& error);

}  // namespace velkor::service
