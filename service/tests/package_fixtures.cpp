#include "package_fixtures.hpp"

#include <cstdlib>

#include "test_catalog.hpp"

namespace velkor::service::testing {

bool RunIn(const std::filesystem::path& folder, const std::string& command) {
  const std::string line = "cd '" + folder.string() + "' && " + command + " >/dev/null 2>&1";
  return std::system(line.c_str()) == 0;
}

std::string FixtureText(const char* name) {
  return ReadFile(std::string(VELKOR_SERVICE_FIXTURES) + "/" + name);
}

namespace {

std::filesystem::path Stage(const std::filesystem::path& work, const std::string& driverVer) {
  std::string inf = FixtureText("e1000.inf");
  if (!driverVer.empty()) {
    const std::size_t at = inf.find("DriverVer");
    inf.replace(at, inf.find('\r', at) - at, "DriverVer = " + driverVer);
  }
  const std::filesystem::path stage = work / "stage";
  std::filesystem::remove_all(stage);
  WriteFile(stage / "win7" / "e1000.inf", inf);
  WriteFile(stage / "win7" / "readme.txt", "not an INF\n");
  return stage;
}

}  // namespace

bool MakeZip(const std::filesystem::path& work, const std::filesystem::path& archive,
             const std::string& driverVer) {
  const std::filesystem::path stage = Stage(work, driverVer);
  std::filesystem::create_directories(archive.parent_path());
  std::filesystem::remove(archive);
  return RunIn(stage, "zip -q -r '" + archive.string() + "' win7");
}

bool MakeCab(const std::filesystem::path& work, const std::filesystem::path& archive,
             const std::string& driverVer) {
  const std::filesystem::path stage = Stage(work, driverVer);
  std::filesystem::create_directories(archive.parent_path());
  std::filesystem::remove(archive);
  return RunIn(stage, "gcab -c -z '" + archive.string() + "' win7/e1000.inf win7/readme.txt");
}

}  // namespace velkor::service::testing
