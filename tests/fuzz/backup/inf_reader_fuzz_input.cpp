#include <algorithm>

#include "backup/backup_restore.hpp"
#include "backup/string_file.hpp"
#include "backup_fuzz_inputs.hpp"
#include "memory_inf_platform.hpp"

namespace velkor::fuzz {

std::string RunInfReaderInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* end = data + size;
  const std::uint8_t* newline = std::find(data, std::min(end, data + 128), '\n');
  const std::string first(data, newline);
  const std::uint8_t* body = newline == end ? end : newline + 1;
  const std::string::size_type bar = first.find('|');
  const std::wstring section(first.begin(), bar == std::string::npos ? first.end() : first.begin() + static_cast<std::ptrdiff_t>(bar));
  const std::wstring decoration =
      bar == std::string::npos ? std::wstring() : std::wstring(first.begin() + static_cast<std::ptrdiff_t>(bar) + 1, first.end());

  MemoryInfPlatform platform;
  platform.osVersionCode = size > 0 && (data[0] & 1) ? 6 : 4;
  const std::vector<std::uint8_t> inf(body, end);
  platform.files.AddFile(L"C:\\WINDOWS\\inf\\oem1.inf", inf);
  platform.files.AddFile(L"C:\\WINDOWS\\inf\\inc.inf", inf);
  platform.files.AddFile(L"C:\\WINDOWS\\system32\\drivers\\a.sys", "a");

  CStringFile file(platform);
  if (!file.Open(L"C:\\WINDOWS\\inf\\oem1.inf")) return "cannot open";
  std::wstring line;
  bool first_line = true;
  while (file.ReadString(line)) {
    if (line.size() > CStringFile::kBufferSize - 1) return "line too long";
    if (line.empty() && !first_line) return "empty line";
    if (line.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return "break or zero in a line";
    first_line = false;
  }

  DirIdCache dirIds;
  CBackupRestore engine(platform, dirIds);
  engine.m_arrDriverStore = {L"C:\\WINDOWS\\system32\\DriverStore\\FileRepository\\x.inf_1\\",
                             L"C:\\WINDOWS\\system32\\DriverStore\\FileRepository\\x.inf_1\\b.dll"};
  engine.ParseInf(L"oem1.inf", section, decoration);
  for (const auto* list : {&engine.m_arrFiles, &engine.m_arrCopyFiles, &engine.m_arrCoInstallerCopyFiles,
                           &engine.m_arrIncludes, &engine.m_arrNeeds, &engine.m_arrNeedsCopyFiles}) {
    if (list->size() > kMaxInfListEntries) return "a list beyond its bound";
  }
  const std::wstring infPath = L"C:\\WINDOWS\\inf\\oem1.inf";
  if (engine.m_arrFiles.size() < kMaxInfListEntries &&
      std::find(engine.m_arrFiles.begin(), engine.m_arrFiles.end(), infPath) == engine.m_arrFiles.end()) {
    return "the INF itself is not listed";
  }
  return {};
}

}  // namespace velkor::fuzz
