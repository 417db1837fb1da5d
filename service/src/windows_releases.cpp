#include "windows_releases.hpp"

#include <set>

#include "os_codes.hpp"

namespace velkor::service {
namespace {

using A = Arch;

struct Build {
  const char* label;
  std::uint32_t build;
};

// Windows 10 and 11 releases by build; the last row of 11 stands for every later
// build, so a decoration naming a build not yet released still counts.
constexpr Build kWindows10[] = {{"1507", 10240}, {"1511", 10586}, {"1607", 14393}, {"1703", 15063},
                                {"1709", 16299}, {"1803", 17134}, {"1809", 17763}, {"1903", 18362},
                                {"1909", 18363}, {"2004", 19041}, {"20H2", 19042}, {"21H1", 19043},
                                {"21H2", 19044}, {"22H2", 19045}};
constexpr Build kWindows11[] = {{"21H2", 22000}, {"22H2", 22621}, {"23H2", 22631},
                                {"24H2", 26100}, {"later builds", 0xFFFFFFFFu}};

std::vector<WindowsRelease> MakeReleases() {
  std::vector<WindowsRelease> r = {
      {"Windows NT 4.0", "", A::kX86, 4, 0, 1381, false},
      {"Windows 2000", "", A::kX86, 5, 0, 2195, false},
      {"Windows 2000", "", A::kIa64, 5, 0, 2195, true},
      {"Windows XP", "", A::kX86, 5, 1, 2600, false},
      {"Windows XP", "", A::kAmd64, 5, 2, 3790, false},
      {"Windows XP", "", A::kIa64, 5, 2, 3790, false},
      {"Server 2003", "", A::kX86, 5, 2, 3790, true},
      {"Server 2003", "", A::kAmd64, 5, 2, 3790, true},
      {"Server 2003", "", A::kIa64, 5, 2, 3790, true},
      {"Windows Vista", "", A::kX86, 6, 0, 6002, false},
      {"Windows Vista", "", A::kAmd64, 6, 0, 6002, false},
      {"Server 2008", "", A::kX86, 6, 0, 6002, true},
      {"Server 2008", "", A::kAmd64, 6, 0, 6002, true},
      {"Server 2008", "", A::kIa64, 6, 0, 6002, true},
      {"Windows 7", "", A::kX86, 6, 1, 7601, false},
      {"Windows 7", "", A::kAmd64, 6, 1, 7601, false},
      {"Server 2008 R2", "", A::kAmd64, 6, 1, 7601, true},
      {"Server 2008 R2", "", A::kIa64, 6, 1, 7601, true},
      {"Windows 8", "", A::kX86, 6, 2, 9200, false},
      {"Windows 8", "", A::kAmd64, 6, 2, 9200, false},
      {"Windows 8", "", A::kArm, 6, 2, 9200, false},
      {"Server 2012", "", A::kAmd64, 6, 2, 9200, true},
      {"Windows 8.1", "", A::kX86, 6, 3, 9600, false},
      {"Windows 8.1", "", A::kAmd64, 6, 3, 9600, false},
      {"Windows 8.1", "", A::kArm, 6, 3, 9600, false},
      {"Server 2012 R2", "", A::kAmd64, 6, 3, 9600, true},
  };
  for (Arch arch : {A::kX86, A::kAmd64, A::kArm64}) {
    for (const Build& b : kWindows10) {
      // Windows 10 on ARM64 began with 1709.
      if (arch == A::kArm64 && b.build < 16299) continue;
      r.push_back({"Windows 10", b.label, arch, 10, 0, b.build, false});
    }
  }
  for (Arch arch : {A::kAmd64, A::kArm64}) {
    for (const Build& b : kWindows11) r.push_back({"Windows 11", b.label, arch, 10, 0, b.build, false});
  }
  r.push_back({"Server 2016", "", A::kAmd64, 10, 0, 14393, true});
  r.push_back({"Server 2019", "", A::kAmd64, 10, 0, 17763, true});
  r.push_back({"Server 2022", "", A::kAmd64, 10, 0, 20348, true});
  r.push_back({"Server 2025", "", A::kAmd64, 10, 0, 26100, true});
  return r;
}

const char* ArchLabel(Arch arch) {
  switch (arch) {
    case A::kX86: return "x86";
    case A::kAmd64: return "x64";
    case A::kIa64: return "Itanium";
    case A::kArm: return "ARM";
    case A::kArm64: return "ARM64";
  }
  return "";
}

}  // namespace

const std::vector<WindowsRelease>& WindowsReleases() {
  static const std::vector<WindowsRelease> releases = MakeReleases();
  return releases;
}

bool ReleaseServed(const WindowsRelease& release, const ServedBy& id) {
  WindowsSystem system = MakeWindowsSystem(release.arch, release.major, release.minor, release.build);
  if (id.rule == nullptr || id.rule->Empty()) {
    system.productType = release.server ? 3 : 1;
    return (id.osMask & OsMaskForRequest(OsCodeOfSystem(system))) != 0;
  }
  // Editions differ in product type and suites; the release counts as served
  // when one of its editions is.
  std::set<std::uint32_t> suites = {0};
  for (const RuleTerm& term : id.rule->terms) {
    for (const OsDecoration& d : term.decorations) suites.insert(d.suiteMask);
  }
  const std::uint32_t products[] = {1, 2, 3};
  for (std::uint32_t product : products) {
    if ((product == 1) == release.server) continue;
    system.productType = product;
    for (std::uint32_t suite : suites) {
      system.suiteMask = suite;
      if (RuleServes(*id.rule, system)) return true;
    }
  }
  return false;
}

std::vector<bool> ServedReleases(const std::vector<ServedBy>& ids) {
  const std::vector<WindowsRelease>& releases = WindowsReleases();
  std::vector<bool> served(releases.size(), false);
  for (std::size_t i = 0; i < releases.size(); ++i) {
    for (const ServedBy& id : ids) {
      if (ReleaseServed(releases[i], id)) {
        served[i] = true;
        break;
      }
    }
  }
  return served;
}

std::string DescribeServedReleases(const std::vector<bool>& served) {
  const std::vector<WindowsRelease>& releases = WindowsReleases();
  std::string text;
  std::string family;  // the family being written, and its architectures so far
  std::string archs;
  auto flush = [&] {
    if (archs.empty()) return;
    if (!text.empty()) text += ", ";
    text += family + " " + archs;
    archs.clear();
  };
  // Rows of one family and architecture stand together in the table: each such
  // group is named once, with the runs of served releases when not all are.
  for (std::size_t first = 0; first < releases.size();) {
    std::size_t end = first;
    while (end < releases.size() && std::string_view(releases[end].family) == releases[first].family &&
           releases[end].arch == releases[first].arch) {
      ++end;
    }
    if (releases[first].family != family) {
      flush();
      family = releases[first].family;
    }
    std::string runs;
    bool all = true;
    bool any = false;
    for (std::size_t i = first; i < end;) {
      if (!served[i]) {
        all = false;
        ++i;
        continue;
      }
      any = true;
      std::size_t last = i;
      while (last + 1 < end && served[last + 1]) ++last;
      if (!runs.empty()) runs += "+";
      runs += releases[i].label;
      if (last > i) runs += std::string("-") + releases[last].label;
      i = last + 1;
    }
    if (any) {
      if (!archs.empty()) archs += "/";
      archs += ArchLabel(releases[first].arch);
      if (!all) archs += " " + runs;
    }
    first = end;
  }
  flush();
  return text.empty() ? "no Windows release" : text;
}

}  // namespace velkor::service
