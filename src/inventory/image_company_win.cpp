#include "inventory/image_company.hpp"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "inventory/driver_scanner_app.hpp"
#include "inventory/image_path.hpp"
#include "inventory/registry_read_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring CompanyNameOf(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &bytes) ||
      translations == nullptr || bytes < sizeof(Translation)) {
    return {};
  }
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                translations[0].codePage, L"CompanyName");
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) ||
      text == nullptr || length == 0) {
    return {};
  }
  // length counts characters and may include the terminator; stay inside it.
  std::size_t n = 0;
  while (n < length && text[n] != L'\0') ++n;
  return std::wstring(text, n);
}

}  // namespace

std::wstring GetImageCompanyName(const std::wstring& windowsFolder, const std::wstring& service) {
  // The drivers folder of a 64-bit system is hidden from a 32-bit process
  // unless redirection is off.
  const ScopedRedirectionOff redirection(TheDriverScannerApp());
  if (service.empty() || service.find(L'\\') != std::wstring::npos) return {};
  UniqueRegKey key;
  const std::wstring path = L"SYSTEM\\CurrentControlSet\\Services\\" + service;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
  }
  std::wstring imagePath;
  if (key) {
    if (auto value = ReadRegString(key.get(), L"ImagePath")) imagePath = *value;
  }
  const ImageFileCandidates candidates = ImageFileCandidatesFor(windowsFolder, imagePath);
  const std::wstring file = FileExists(candidates.first) ? candidates.first : candidates.fallback;
  if (!FileExists(file)) return {};
  return CompanyNameOf(file);
}

}  // namespace velkor
