#pragma once
// What the INF reader needs from the system: files to read line by line, the
// test whether a file exists, the special folders, the system ANSI code page
// and the OS version code. The Win32 implementation is inf_platform_win; tests
// supply their own over a memory file system.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/byte_source.hpp"

namespace velkor {

// CSIDL values of the folders the directory-id table uses.
inline constexpr int kCsidlFonts = 0x0014;
inline constexpr int kCsidlCommonStartMenu = 0x0016;
inline constexpr int kCsidlCommonPrograms = 0x0017;
inline constexpr int kCsidlCommonStartup = 0x0018;
inline constexpr int kCsidlCommonDesktopDirectory = 0x0019;
inline constexpr int kCsidlCommonFavorites = 0x001f;
inline constexpr int kCsidlCommonAppData = 0x0023;
inline constexpr int kCsidlWindows = 0x0024;
inline constexpr int kCsidlSystem = 0x0025;
inline constexpr int kCsidlProgramFiles = 0x0026;
inline constexpr int kCsidlProfile = 0x0028;
inline constexpr int kCsidlProgramFilesCommon = 0x002b;
inline constexpr int kCsidlCommonTemplates = 0x002d;
inline constexpr int kCsidlCommonDocuments = 0x002e;

class InfPlatform {
 public:
  virtual ~InfPlatform() = default;
  // An existing file opened for reading; others may read it meanwhile but not
  // write it. Null when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // The folder of a CSIDL value without a trailing backslash; empty when the
  // system has none.
  virtual std::wstring SpecialFolder(int csidl) = 0;
  // Text in the system's ANSI code page as UTF-16.
  virtual std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) = 0;
  // GetOSVersionCode of the running system.
  virtual std::int32_t OsVersionCode() = 0;
};

}  // namespace velkor
