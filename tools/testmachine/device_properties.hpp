#pragma once
// Reading and writing a device's setup properties (SPDRP_*) as text.

#include <windows.h>
#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

namespace velkor::testmachine {

// The whole property as UTF-16 units (a multi-string keeps its NULs); nothing
// when the device does not have it.
std::optional<std::wstring> ReadDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property);
// The first string of a text or multi-string property.
std::optional<std::wstring> ReadDeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property);
std::vector<std::wstring> ReadDeviceTexts(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property);

// Sets a REG_SZ property, or removes it when there is no text.
bool WriteDeviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property,
                     const std::optional<std::wstring>& text);
// Sets a REG_MULTI_SZ property, or removes it when the list is empty.
bool WriteDeviceTexts(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property,
                      const std::vector<std::wstring>& texts);

std::optional<std::wstring> ReadInstanceId(HDEVINFO set, SP_DEVINFO_DATA& device);

// "{4d36e968-e325-11ce-bfc1-08002be10318}" (lower case) and back.
std::wstring GuidToText(const GUID& guid);
bool GuidFromText(const std::wstring& text, GUID& guid);

// The text of a Win32 error code, on one line.
std::wstring ErrorText(DWORD code);

}  // namespace velkor::testmachine
