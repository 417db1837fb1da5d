#pragma once
// The component's configuration: string values under the product key of the
// current user, else of the machine (the installer writes the machine's).

#include <string>

#include "service_address.hpp"

namespace velkor::network {

// "ServiceUrl": the base address of the update service.
ServiceAddress ConfiguredServiceAddress();

// Reads a string value of the product key, HKCU first, then HKLM; empty when
// neither has it (or it is not a string, or longer than 2048 characters).
std::wstring ReadProductSetting(const wchar_t* valueName);

}  // namespace velkor::network
