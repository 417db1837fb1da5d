#pragma once
// Device instance IDs for described devices. The description names a device by
// its hardware IDs only, so the instance ID is derived from the first hardware
// ID the way the system's bus drivers shape theirs: enumerator, device part and
// an instance part that here is a hash, so the same description always gives
// the same IDs and a second run finds the devices of the first.

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor::testmachine {

// Longest device instance ID the system accepts (MAX_DEVICE_ID_LEN - 1).
inline constexpr std::size_t kMaxInstanceIdLength = 199;

// occurrence counts earlier devices of the same description whose first
// hardware ID is the same (ignoring case): 0 for the first, 1 for the second...
//   PCI\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2 -> PCI\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2\3&1A2B3C4D&0&08
//   USB\VID_046D&PID_C016&REV_0340              -> USB\VID_046D&PID_C016\5&1A2B3C4D&0&1
//   *PNP0303                                     -> ACPI\PNP0303\4&1A2B3C4D&0
//   GenuineIntel_-_x86_Family_6                  -> ROOT\GENUINEINTEL_-_X86_FAMILY_6\0000
std::wstring DeriveInstanceId(std::wstring_view first_hardware_id, std::uint32_t occurrence);

// Three non-empty parts separated by backslashes, printable ASCII without
// blanks or commas, at most kMaxInstanceIdLength characters.
bool IsValidInstanceId(std::wstring_view id);

// The enumerator part ("PCI" of "PCI\VEN_...\3&..."); empty when there is none.
std::wstring_view InstanceEnumerator(std::wstring_view id);

}  // namespace velkor::testmachine
