#pragma once
// Real driver packages for the import and HTTP tests, built at test time with
// Debian's zip and gcab from the INF files in fixtures/.

#include <filesystem>
#include <string>

namespace velkor::service::testing {

// Runs a shell command in folder; true when it exits with 0.
bool RunIn(const std::filesystem::path& folder, const std::string& command);

std::string FixtureText(const char* name);

// Writes stage/win7/e1000.inf (with the given DriverVer line, when not empty) and
// packs it: a ZIP (zip -r) or a CAB (gcab -c). The archive path is absolute.
bool MakeZip(const std::filesystem::path& work, const std::filesystem::path& archive,
             const std::string& driverVer = "");
bool MakeCab(const std::filesystem::path& work, const std::filesystem::path& archive,
             const std::string& driverVer = "");

}  // namespace velkor::service::testing
