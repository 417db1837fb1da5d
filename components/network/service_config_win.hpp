#pragma once
// The component's configuration: string values under the product key
// `software\VELKOR Brenn\`. A process of the user reads the user's values
// (HKCU) before the machine's (HKLM, written by the installer or an
// administrator). An elevated process, or one running as LocalSystem, reads
// the machine's only: the user's unelevated programs can write HKCU, and must
// not be able to send an administrator's exchange elsewhere.

#include <string>

#include "service_address.hpp"

namespace velkor::network {

// Whether this process holds rights that the user's ordinary programs do not.
class ProcessElevation {
 public:
  virtual ~ProcessElevation() = default;
  virtual bool IsElevatedOrSystem() const = 0;
};

// The answer for this process, from its token: elevated under UAC
// (TokenElevation), or the LocalSystem account. A token that cannot be read
// counts as elevated, which only narrows where settings come from. On Windows
// XP, which has no elevation, only LocalSystem counts.
const ProcessElevation& ThisProcessElevation();

// A string value of the product key, from where `elevation` allows; empty when
// none is there (or it is not a string, or longer than 2048 characters).
std::wstring ReadProductSetting(const wchar_t* valueName, const ProcessElevation& elevation);

// "ServiceUrl": the base address of the update service, else the built-in one.
ServiceAddress ConfiguredServiceAddress(const ProcessElevation& elevation);

// The address for one call. An empty server text: the configured service. A
// host name: the same scheme, port and path on that host; an elevated process
// takes the machine's "FallbackHost" (else kDefaultFallbackHost of
// network_api.h) instead of
// whatever host it was handed, since the program read that one where the user
// can write. False for a server text that is not a terminated host name.
bool ChooseServiceAddress(const wchar_t* server, const ProcessElevation& elevation, ServiceAddress& address);

}  // namespace velkor::network
