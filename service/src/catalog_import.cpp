#include "catalog_import.hpp"

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "digest.hpp"
#include "inf_models.hpp"
#include "os_codes.hpp"
#include "package_names.hpp"
#include "package_reader.hpp"
#include "serving_rule.hpp"
#include "sidecar.hpp"
#include "windows_releases.hpp"

namespace velkor::service {
namespace fs = std::filesystem;
namespace {

std::int64_t ModifiedStamp(const fs::path& path) {
  std::error_code error;
  const auto time = fs::last_write_time(path, error);
  if (error) return 0;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

bool ReadSmallFile(const fs::path& path, std::size_t limit, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() && out.size() <= limit;
}

CatalogDriver DriverFromInf(const InfDriverInfo& info, const std::string& infPath) {
  CatalogDriver driver;
  driver.infPath = infPath;
  driver.date = ToUtf8(info.date);
  driver.version = ToUtf8(info.version);
  driver.provider = ToUtf8(info.provider);
  driver.className = ToUtf8(info.className);
  driver.catalogFile = ToUtf8(info.catalogFile);
  // A driver that names a catalog file is signed by its provider; the sidecar
  // names the signer where that is not so.
  if (!info.catalogFile.empty()) driver.signer = driver.provider;
  for (const InfListedId& id : info.ids) {
    driver.ids.push_back(
        CatalogId{ToUtf8(id.key), ToUtf8(id.listed), id.osMask, RuleText(id.rule), id.asHardwareId});
  }
  return driver;
}

// The systems of every ID together: what a sidecar's own ID list serves.
std::string RuleOfWholeDriver(const CatalogDriver& driver) {
  ServingRule whole;
  for (const CatalogId& id : driver.ids) {
    if (const std::optional<ServingRule> rule = ParseRule(id.rule)) AddTerms(whole, *rule);
  }
  return RuleText(whole);
}

void ApplySidecar(const Sidecar& sidecar, CatalogDriver& driver) {
  if (sidecar.signer) driver.signer = ToUtf8(*sidecar.signer);
  if (sidecar.provider) driver.provider = ToUtf8(*sidecar.provider);
  if (sidecar.className) driver.className = ToUtf8(*sidecar.className);
  if (sidecar.date) driver.date = ToUtf8(*sidecar.date);
  if (sidecar.version) driver.version = ToUtf8(*sidecar.version);
  if (sidecar.ids) {
    // The sidecar's list replaces what the INF lists; without an "os" list the
    // IDs serve what the INF as a whole serves.
    const std::uint32_t mask = driver.osMask;
    const std::string rule = RuleOfWholeDriver(driver);
    driver.ids.clear();
    std::set<std::string> seen;
    for (const std::wstring& id : *sidecar.ids) {
      std::string key = ToUtf8(AsciiToLower(Trim(id)));
      if (key.empty() || !seen.insert(key).second) continue;
      // Named by the package's maker, not by a model line: as a hardware ID.
      driver.ids.push_back(CatalogId{std::move(key), ToUtf8(Trim(id)), mask, rule, true});
    }
  }
  if (sidecar.osMask) {
    // An "os" list decides alone, for exact systems by the code the client's
    // table gives them.
    for (CatalogId& id : driver.ids) {
      id.osMask = *sidecar.osMask;
      id.rule.clear();
    }
  }
  driver.osMask = 0;
  for (const CatalogId& id : driver.ids) driver.osMask |= id.osMask;
}

// Tells the serving nodes that the catalog changed, once, at the end.
void Publish(CatalogStore& store, ImportSummary& summary, std::ostream& log) {
  if (summary.added + summary.updated + summary.removed == 0) return;
  std::string error;
  if (!store.PublishGeneration(error)) {
    log << "error: the catalog changed but its new generation could not be published: " << error << "\n";
    summary.failed++;
  }
}

}  // namespace

std::vector<bool> PackageReleases(const CatalogPackage& package) {
  std::vector<ServingRule> rules;  // parsed once, pointed to below
  std::vector<std::uint32_t> masks;
  std::map<std::pair<std::string, std::uint32_t>, bool> seen;  // IDs share rules
  for (const CatalogDriver& driver : package.drivers) {
    for (const CatalogId& id : driver.ids) {
      if (!seen.emplace(std::make_pair(id.rule, id.osMask), true).second) continue;
      rules.push_back(ParseRule(id.rule).value_or(ServingRule{}));
      masks.push_back(id.osMask);
    }
  }
  std::vector<ServedBy> ids;
  for (std::size_t i = 0; i < rules.size(); ++i) ids.push_back(ServedBy{&rules[i], masks[i]});
  return ServedReleases(ids);
}

bool IsPackageFileName(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return false;
  const std::wstring extension = AsciiToLower(FromUtf8(fileName.substr(dot)));
  return extension == L".zip" || extension == L".cab" || extension == L".rar" ||
         extension == L".exe" || extension == L".msi";
}

bool ReadCatalogPackage(const fs::path& file, const std::string& fileName, CatalogPackage& out,
                        std::string& error) {
  CatalogPackage package;
  package.fileName = fileName;
  package.modified = ModifiedStamp(file);

  Sidecar sidecar;
  fs::path sidecarPath = file;
  sidecarPath += ".json";
  std::error_code ignored;
  if (fs::is_regular_file(sidecarPath, ignored)) {
    std::string text;
    if (!ReadSmallFile(sidecarPath, kMaxSidecarBytes, text)) {
      error = "sidecar cannot be read";
      return false;
    }
    if (!ParseSidecar(text, sidecar, error)) {
      error = "sidecar: " + error;
      return false;
    }
    package.sidecarModified = ModifiedStamp(sidecarPath);
  }

  const std::optional<FileDigests> digests = DigestFile(file);
  if (!digests) {
    error = "cannot be read";
    return false;
  }
  package.size = static_cast<std::int64_t>(digests->size);
  package.md5 = digests->md5;
  package.sha256 = digests->sha256;
  package.isInstall = sidecar.isInstall.value_or(true);
  package.isSpecificCase = sidecar.isSpecificCase.value_or(false);

  PackageContents contents;
  if (!ReadPackage(file, contents, error)) return false;

  std::vector<std::string> problems;
  for (const PackageInf& inf : contents.infs) {
    if (sidecar.infPath && !AsciiEqualsNoCase(FromUtf8(inf.path), *sidecar.infPath)) continue;
    const InfDriverInfo info = ReadInfDriverInfo(InfFile::Parse(DecodeInfBytes(inf.bytes)));
    // INF files without models are not device drivers (or not for this package's
    // devices); they are skipped quietly unless the sidecar names them.
    if (info.ids.empty() && !sidecar.ids) continue;
    CatalogDriver driver = DriverFromInf(info, inf.path);
    driver.osMask = info.osMask;
    ApplySidecar(sidecar, driver);
    if (driver.date.empty()) {
      problems.push_back(inf.path + ": no DriverVer date");
      continue;
    }
    if (driver.ids.empty()) continue;
    package.drivers.push_back(std::move(driver));
  }

  // A setup program that is no archive (or whose INF is not visible) is
  // described by its sidecar alone.
  if (package.drivers.empty() && sidecar.infPath && sidecar.ids && sidecar.date) {
    CatalogDriver driver;
    driver.infPath = ToUtf8(*sidecar.infPath);
    // Without an "os" list a setup program is taken to serve every system.
    driver.osMask = sidecar.osMask.value_or(AllOsCodeBits());
    ApplySidecar(sidecar, driver);
    if (!driver.ids.empty()) package.drivers.push_back(std::move(driver));
  }

  if (package.drivers.empty()) {
    if (!problems.empty()) error = problems.front();
    else if (!contents.isArchive) error = "not an archive, and no sidecar describes it";
    else if (sidecar.infPath) error = "the sidecar's infPath is not an INF with models in the package";
    else error = "no driver INF with models in the package";
    return false;
  }
  for (CatalogDriver& driver : package.drivers) {
    // Stable across re-imports of a changed package, unique per INF, and free of
    // "|" (hexadecimal digits only).
    driver.catalogKey = Sha256Hex(fileName + '\n' + driver.infPath).substr(0, 24);
  }
  out = std::move(package);
  return true;
}

ImportSummary ImportCatalog(CatalogStore& store, const fs::path& packagesDir, std::ostream& log) {
  ImportSummary summary;
  std::set<std::string> present;
  std::error_code error;
  fs::recursive_directory_iterator it(packagesDir, fs::directory_options::skip_permission_denied, error);
  if (error) {
    log << "error: cannot read " << packagesDir.string() << ": " << error.message() << "\n";
    summary.failed++;
    return summary;
  }
  for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) break;
    const fs::directory_entry& entry = *it;
    // Checks on one entry have their own error code: only the walk's own errors
    // end the walk.
    std::error_code ignored;
    // Links are not followed: the service serves only files that really lie in
    // the packages folder.
    if (entry.is_symlink(ignored) || !entry.is_regular_file(ignored)) continue;
    const std::string name = entry.path().lexically_relative(packagesDir).generic_string();
    if (!IsPackageFileName(name)) continue;
    if (!IsSafePackageName(name)) {
      log << "skipped: " << name << ": name cannot be served\n";
      summary.failed++;
      continue;
    }
    present.insert(name);

    const std::optional<PackageStamp> stamp = store.FindStamp(name);
    fs::path sidecarPath = entry.path();
    sidecarPath += ".json";
    const std::int64_t sidecarModified =
        fs::is_regular_file(sidecarPath, ignored) ? ModifiedStamp(sidecarPath) : 0;
    if (stamp && stamp->size == static_cast<std::int64_t>(entry.file_size(ignored)) &&
        stamp->modified == ModifiedStamp(entry.path()) && stamp->sidecarModified == sidecarModified) {
      summary.unchanged++;
      continue;
    }

    CatalogPackage package;
    std::string reason;
    if (!ReadCatalogPackage(entry.path(), name, package, reason)) {
      log << "failed: " << name << ": " << reason << "\n";
      summary.failed++;
      // What the catalog knew of an earlier version no longer matches the file.
      if (stamp && store.RemovePackage(name)) summary.removed++;
      continue;
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch()).count();
    if (!store.StorePackage(package, now, reason)) {
      log << "failed: " << name << ": catalog: " << reason << "\n";
      summary.failed++;
      continue;
    }
    std::size_t ids = 0;
    for (const CatalogDriver& driver : package.drivers) ids += driver.ids.size();
    log << (stamp ? "updated: " : "added: ") << name << " (" << package.drivers.size()
        << " INF, " << ids << " IDs; " << DescribeServedReleases(PackageReleases(package))
        << ")\n";
    (stamp ? summary.updated : summary.added)++;
  }
  if (error) {
    log << "error: walking " << packagesDir.string() << ": " << error.message() << "\n";
    summary.failed++;
    // A walk that broke off must not take the unseen packages out of the catalog.
    Publish(store, summary, log);
    return summary;
  }
  for (const std::string& name : store.PackageNames()) {
    if (present.count(name)) continue;
    if (store.RemovePackage(name)) {
      log << "removed: " << name << "\n";
      summary.removed++;
    }
  }
  Publish(store, summary, log);
  return summary;
}

}  // namespace velkor::service
