#include "device_properties.hpp"

#include <cwchar>

#include "base/text.hpp"
#include "registry_values.hpp"

namespace velkor::testmachine {

std::optional<std::wstring> ReadDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  DWORD type = 0;
  DWORD size = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, nullptr, 0, &size) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return std::nullopt;
  }
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD needed = 0;
    if (SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                          static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t)), &needed)) {
      if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return std::nullopt;
      buffer.resize(needed / sizeof(wchar_t));
      return buffer;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    size = needed;
  }
  return std::nullopt;
}

std::optional<std::wstring> ReadDeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  std::optional<std::wstring> data = ReadDeviceProperty(set, device, property);
  if (data) {
    if (const size_t nul = data->find(L'\0'); nul != std::wstring::npos) data->resize(nul);
  }
  return data;
}

std::vector<std::wstring> ReadDeviceTexts(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  const std::optional<std::wstring> data = ReadDeviceProperty(set, device, property);
  return data ? SplitMultiString(*data) : std::vector<std::wstring>{};
}

bool WriteDeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property,
                     const std::optional<std::wstring>& text) {
  if (!text) {
    // Removing a property the device does not have is no failure.
    if (SetupDiSetDeviceRegistryPropertyW(set, &device, property, nullptr, 0)) return true;
    return !ReadDeviceProperty(set, device, property).has_value();
  }
  const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
  return SetupDiSetDeviceRegistryPropertyW(set, &device, property, reinterpret_cast<const BYTE*>(text->c_str()),
                                           bytes) != FALSE;
}

bool WriteDeviceTexts(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property,
                      const std::vector<std::wstring>& texts) {
  if (texts.empty()) return WriteDeviceText(set, device, property, std::nullopt);
  const std::wstring data = JoinMultiString(texts);
  return SetupDiSetDeviceRegistryPropertyW(set, &device, property, reinterpret_cast<const BYTE*>(data.data()),
                                           static_cast<DWORD>(data.size() * sizeof(wchar_t))) != FALSE;
}

std::optional<std::wstring> ReadInstanceId(HDEVINFO set, SP_DEVINFO_DATA& device) {
  DWORD needed = 0;
  SetupDiGetDeviceInstanceIdW(set, &device, nullptr, 0, &needed);
  if (needed == 0 || needed > 32768) return std::nullopt;
  std::wstring id(needed, L'\0');
  if (!SetupDiGetDeviceInstanceIdW(set, &device, id.data(), needed, &needed)) return std::nullopt;
  if (const size_t nul = id.find(L'\0'); nul != std::wstring::npos) id.resize(nul);
  return id;
}

std::wstring GuidToText(const GUID& guid) {
  wchar_t text[40];
  std::swprintf(text, 40, L"{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

bool GuidFromText(const std::wstring& text, GUID& guid) {
  unsigned long data1 = 0;
  unsigned int words[2] = {};
  unsigned int bytes[8] = {};
  wchar_t close = 0;
  if (text.size() != 38 ||
      std::swscanf(text.c_str(), L"{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%lc", &data1, &words[0], &words[1],
                   &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6], &bytes[7],
                   &close) != 12 ||
      close != L'}') {
    return false;
  }
  guid.Data1 = data1;
  guid.Data2 = static_cast<unsigned short>(words[0]);
  guid.Data3 = static_cast<unsigned short>(words[1]);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<unsigned char>(bytes[i]);
  return true;
}

std::wstring ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length != 0 && buffer != nullptr ? Trim(std::wstring_view(buffer, length)) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  wchar_t number[32];
  std::swprintf(number, 32, L"error %lu", static_cast<unsigned long>(code));
  return text.empty() ? std::wstring(number) : std::wstring(number) + L": " + text;
}

}  // namespace velkor::testmachine
