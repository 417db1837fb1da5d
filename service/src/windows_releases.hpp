#pragma once
// The Windows releases that exist, for two questions of the import: does a
// driver serve any real Windows at all (the import keeps it only then), and
// which releases does a package serve (told in the import's log). Serving itself
// is decided per request for the exact system (serving_rule.hpp); this table is
// only for telling people.

#include <string>
#include <vector>

#include "serving_rule.hpp"

namespace velkor::service {

struct WindowsRelease {
  const char* family;  // "Windows 10", "Server 2019"
  const char* label;   // "1709", or "" where the family has one release
  Arch arch;
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t build;
  bool server;  // server and domain controller editions; else workstation
};

const std::vector<WindowsRelease>& WindowsReleases();

// What one catalog ID says about its systems: its rule (may be empty) and its
// mask of OS codes.
struct ServedBy {
  const ServingRule* rule;
  std::uint32_t osMask;
};

// Whether the release is served: by the rule when there is one (on any edition:
// each product type of the release, with no suite or with the suites the rule's
// decorations name), else by the code the client's table gives the release.
bool ReleaseServed(const WindowsRelease& release, const ServedBy& id);

// One flag per release of WindowsReleases(): served by any of the IDs.
std::vector<bool> ServedReleases(const std::vector<ServedBy>& ids);

// The served releases by family, architectures joined by "/", and the runs of
// releases where not all of a family's are served ("Windows 7 x86/x64,
// Windows 10 x64 1709-22H2/ARM64 1709-22H2, Windows 11 x64/ARM64, Server 2019
// x64"); "no Windows release" when there are none.
std::string DescribeServedReleases(const std::vector<bool>& served);

}  // namespace velkor::service
