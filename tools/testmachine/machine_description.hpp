#pragma once
// The machine description that testmachine reads: which Windows version the
// prefix reports and which devices, with which installed drivers, it has.
// Reading is strict: the description comes from a file that anyone may edit, so
// every key is checked for its type and syntax and every fault is reported with
// the JSON path of the value at fault.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::testmachine {

// What a device's driver class key should carry, and the package that installs
// the driver. Every member is optional; an absent one is not written.
struct DriverDescription {
  std::optional<std::wstring> package;  // relative to the description file
  std::optional<std::wstring> inf_path;
  std::optional<std::wstring> inf_section;
  std::optional<std::wstring> inf_section_ext;
  std::optional<std::wstring> version;
  std::optional<std::wstring> date;
  std::optional<std::wstring> provider;
  std::optional<std::wstring> matching_device_id;
};

struct DeviceDescription {
  std::wstring json_path;   // "devices[3]": names the device in messages
  std::wstring class_guid;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", as written
  std::optional<std::wstring> class_name;
  std::optional<std::wstring> class_description;
  std::vector<std::wstring> hardware_ids;  // never empty
  std::vector<std::wstring> compatible_ids;
  std::optional<std::wstring> friendly_name;
  std::optional<std::wstring> device_desc;
  std::optional<std::wstring> service;
  // The "instance_id" key when given, else derived from the first hardware ID
  // (instance_id.hpp); unique within the description.
  std::wstring instance_id;
  std::optional<DriverDescription> driver;
};

struct MachineDescription {
  std::optional<std::wstring> windows;  // one of KnownWindowsVersions()
  std::vector<DeviceDescription> devices;
};

struct DescriptionResult {
  std::optional<MachineDescription> machine;
  std::wstring error;  // one line naming the JSON path at fault, when no machine
};

// Limits that keep a hostile description from exhausting memory or producing
// values the registry cannot hold.
inline constexpr std::size_t kMaxDescriptionBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxDevices = 4096;
inline constexpr std::size_t kMaxIdsPerList = 64;
inline constexpr std::size_t kMaxTextLength = 4096;
inline constexpr std::size_t kMaxClassNameLength = 32;  // MAX_CLASS_NAME_LEN
inline constexpr std::size_t kMaxServiceNameLength = 256;

// The names Wine accepts as its reported Windows version.
const std::vector<std::wstring_view>& KnownWindowsVersions();

// Parses and validates a description given as UTF-8 JSON. Comments are allowed;
// keys that begin with "_" are notes and are ignored; any other unknown key is a
// fault (it is most likely a misspelt one).
DescriptionResult ParseMachineDescription(std::string_view json_utf8);

// "{4d36e968-e325-11ce-bfc1-08002be10318}" in any letter case.
bool IsGuidText(std::wstring_view text);

}  // namespace velkor::testmachine
