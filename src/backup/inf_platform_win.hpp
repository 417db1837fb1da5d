#pragma once
// The INF reader's platform on Windows: files opened with read sharing only,
// SHGetSpecialFolderPathW, the ANSI code page, GetOSVersionCode.

#include "backup/inf_platform.hpp"

namespace velkor {

class WinInfPlatform final : public InfPlatform {
 public:
  std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) override;
  bool FileExists(const std::wstring& path) override;
  std::wstring SpecialFolder(int csidl) override;
  std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) override;
  std::int32_t OsVersionCode() override;
};

// The one instance the program uses (it keeps no state).
InfPlatform& ProcessInfPlatform();

}  // namespace velkor
