#include "backup/inf_platform_win.hpp"

#include <windows.h>

#include "backup/dir_id_path.hpp"
#include "core/shell_folders.hpp"
#include "core/system_code_page.hpp"
#include "inventory/os_version_code.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

// A file read at offsets through its handle.
class HandleByteSource final : public ByteSource {
 public:
  HandleByteSource(UniqueKernelHandle file, std::uint64_t size) : m_file(std::move(file)), m_nSize(size) {}

  std::uint64_t Size() const override { return m_nSize; }

  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset > m_nSize || out.size() > m_nSize - offset) return false;
    while (!out.empty()) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(out.size(), 1u << 30));
      DWORD read = 0;
      if (!ReadFile(m_file.get(), out.data(), piece, &read, &at) || read == 0) return false;
      out = out.subspan(read);
      offset += read;
    }
    return true;
  }

 private:
  UniqueKernelHandle m_file;
  std::uint64_t m_nSize;
};

}  // namespace

std::unique_ptr<ByteSource> WinInfPlatform::OpenShared(const std::wstring& path) {
  UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<HandleByteSource>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

bool WinInfPlatform::FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WinInfPlatform::SpecialFolder(int csidl) { return GetSpecialFolder(csidl); }

std::wstring WinInfPlatform::DecodeAnsi(std::span<const std::uint8_t> bytes) { return DecodeSystemCodePage(bytes); }

std::int32_t WinInfPlatform::OsVersionCode() { return GetOSVersionCode().code; }

InfPlatform& ProcessInfPlatform() {
  static WinInfPlatform platform;
  return platform;
}

std::wstring DirIdToPath(int id) { return ProcessDirIdCache().Lookup(id, ProcessInfPlatform()); }

}  // namespace velkor
