#include "core/file_bytes.hpp"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace velkor {
namespace fs = std::filesystem;

ReadResult ReadFileBytes(const std::wstring& path, std::size_t limit, std::vector<std::uint8_t>& out) {
  try {
    const fs::path p(path);
    std::error_code ec;
    if (!fs::exists(p, ec)) return ec ? ReadResult::Failed : ReadResult::NotFound;
    if (!fs::is_regular_file(p, ec)) return ReadResult::Failed;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) return ReadResult::Failed;
    if (size > limit) return ReadResult::TooLarge;
    std::ifstream in(p, std::ios::binary);
    if (!in) return ReadResult::Failed;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size != 0 && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
      return ReadResult::Failed;
    }
    out = std::move(bytes);
    return ReadResult::Ok;
  } catch (...) {
    return ReadResult::Failed;
  }
}

bool WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  try {
    const fs::path target(path);
    fs::path temporary = target;
    temporary += L".new";
    std::error_code ec;
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      if (!out) return false;
      if (!bytes.empty()) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      if (!out) {
        out.close();
        fs::remove(temporary, ec);
        return false;
      }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
      fs::remove(temporary, ec);
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool FileExists(const std::wstring& path) {
  try {
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
  } catch (...) {
    return false;
  }
}

bool RemoveFile(const std::wstring& path) {
  try {
    std::error_code ec;
    return fs::remove(fs::path(path), ec) && !ec;
  } catch (...) {
    return false;
  }
}

}  // namespace velkor
