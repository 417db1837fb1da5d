#pragma once
// The present devices as text, for people and scripts:
//
//   <instance ID>
//     class_guid: {4d36e968-e325-11ce-bfc1-08002be10318}
//     hardware_id: PCI\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2
//     hardware_id: ...                     (one line per ID, in order)
//     compatible_id: ...                   (one line per ID, in order)
//     friendly_name: ...                   (each of these only when set)
//     device_desc: ...
//     service: ...
//     driver: {4d36e968-e325-11ce-bfc1-08002be10318}\0000
//   <blank line>
//
// Devices are sorted by instance ID (ignoring case); the text is UTF-8.

#include <string>

namespace velkor::testmachine {

// False when the device list cannot be read.
bool ListPresentDevices(std::wstring& text);

}  // namespace velkor::testmachine
