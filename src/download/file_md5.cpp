#include "download/file_md5.hpp"

#include <filesystem>
#include <fstream>
#include <vector>

#include "base/md5.hpp"
#include "base/text.hpp"
#include "core/file_bytes.hpp"
#include "download/folder_name.hpp"

namespace velkor {

namespace {
constexpr std::size_t kChunkBytes = 64 * 1024;
}

std::wstring FileMd5(const std::wstring& path) {
  if (path.empty()) return {};
  try {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return {};
    Md5 md5;
    std::vector<char> chunk(kChunkBytes);
    while (in) {
      in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      const std::streamsize got = in.gcount();
      if (got <= 0) break;
      md5.Update({reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(got)});
    }
    if (in.bad()) return {};
    return Md5Hex(md5.Finish());
  } catch (...) {
    return {};
  }
}

bool PackageReady(const StringMap& downloadList, const DeviceRecord& update) {
  if (update.HardwareId.empty()) return false;
  const auto found = downloadList.find(DownloadFileKey(update.HardwareId));
  if (found == downloadList.end() || !FileExists(found->second)) return false;
  const std::wstring md5 = FileMd5(found->second);
  return !md5.empty() && AsciiEqualsNoCase(md5, update.Md5);
}

}  // namespace velkor
