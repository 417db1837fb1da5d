#include "machine_description.hpp"

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "instance_id.hpp"

namespace velkor::testmachine {
namespace {

using Json = nlohmann::json;

// A fault in the description; what() is not used, the message is wide text.
struct DescriptionFault {
  std::wstring message;
};

// Deeper nesting than any description needs is refused while parsing, before
// it can cost stack or memory.
constexpr int kMaxDepth = 16;
struct TooDeep {};

[[noreturn]] void Fail(const std::wstring& path, const std::wstring& what) {
  throw DescriptionFault{path + L": " + what};
}

std::wstring Key(const std::wstring& path, std::wstring_view key) {
  return path.empty() ? std::wstring(key) : path + L"." + std::wstring(key);
}

std::wstring Index(const std::wstring& path, size_t index) {
  return path + L"[" + std::to_wstring(index) + L"]";
}

const wchar_t* TypeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return L"null";
    case Json::value_t::object: return L"an object";
    case Json::value_t::array: return L"an array";
    case Json::value_t::string: return L"a string";
    case Json::value_t::boolean: return L"a boolean";
    case Json::value_t::discarded: return L"nothing";
    default: return L"a number";
  }
}

// Text values must survive the registry: no NUL, which would cut a REG_SZ or
// end a REG_MULTI_SZ list early.
std::wstring Text(const Json& value, const std::wstring& path) {
  if (!value.is_string()) Fail(path, std::wstring(L"must be a string, not ") + TypeName(value));
  std::wstring text = FromUtf8(value.get_ref<const std::string&>());
  if (text.size() > kMaxTextLength) Fail(path, L"is longer than " + std::to_wstring(kMaxTextLength) + L" characters");
  if (text.find(L'\0') != std::wstring::npos) Fail(path, L"contains a NUL character");
  return text;
}

std::optional<std::wstring> OptionalText(const Json& object, std::string_view key, const std::wstring& path) {
  const auto it = object.find(key);
  if (it == object.end()) return std::nullopt;
  return Text(*it, Key(path, FromUtf8(key)));
}

// IDs: printable, no blanks at either end, not empty (an empty string would
// end the registry's list).
std::wstring Id(const Json& value, const std::wstring& path) {
  std::wstring id = Text(value, path);
  if (id.empty()) Fail(path, L"is empty");
  for (wchar_t c : id) {
    if (c < 0x20 || c == 0x7F) Fail(path, L"contains a control character");
  }
  if (Trim(id) != id) Fail(path, L"has blanks at its start or end");
  return id;
}

std::vector<std::wstring> IdList(const Json& value, const std::wstring& path) {
  if (!value.is_array()) Fail(path, std::wstring(L"must be an array of strings, not ") + TypeName(value));
  if (value.size() > kMaxIdsPerList) Fail(path, L"has more than " + std::to_wstring(kMaxIdsPerList) + L" IDs");
  std::vector<std::wstring> ids;
  for (size_t i = 0; i < value.size(); ++i) ids.push_back(Id(value[i], Index(path, i)));
  return ids;
}

void CheckKeys(const Json& object, const std::wstring& path, std::initializer_list<std::string_view> known) {
  for (const auto& [key, value] : object.items()) {
    if (!key.empty() && key.front() == '_') continue;  // a note
    bool found = false;
    for (std::string_view k : known) found = found || key == k;
    if (!found) Fail(Key(path, FromUtf8(key)), L"unknown key");
  }
}

const Json& RequireObject(const Json& value, const std::wstring& path) {
  if (!value.is_object()) Fail(path.empty() ? L"(top level)" : path, std::wstring(L"must be an object, not ") + TypeName(value));
  return value;
}

bool IsAbsolutePath(std::wstring_view path) {
  if (!path.empty() && (path.front() == L'\\' || path.front() == L'/')) return true;
  return path.size() >= 2 && path[1] == L':';
}

DriverDescription ReadDriver(const Json& value, const std::wstring& path) {
  RequireObject(value, path);
  CheckKeys(value, path, {"package", "inf_path", "inf_section", "inf_section_ext", "version", "date",
                          "provider", "matching_device_id"});
  DriverDescription driver;
  driver.package = OptionalText(value, "package", path);
  if (driver.package) {
    const std::wstring where = Key(path, L"package");
    if (driver.package->empty()) Fail(where, L"is empty");
    if (IsAbsolutePath(*driver.package)) Fail(where, L"must be relative to the description file");
    if (driver.package->size() < 5 ||
        !AsciiEqualsNoCase(std::wstring_view(*driver.package).substr(driver.package->size() - 4), L".inf")) {
      Fail(where, L"must name an .inf file");
    }
  }
  driver.inf_path = OptionalText(value, "inf_path", path);
  driver.inf_section = OptionalText(value, "inf_section", path);
  driver.inf_section_ext = OptionalText(value, "inf_section_ext", path);
  driver.version = OptionalText(value, "version", path);
  driver.date = OptionalText(value, "date", path);
  driver.provider = OptionalText(value, "provider", path);
  driver.matching_device_id = OptionalText(value, "matching_device_id", path);
  return driver;
}

DeviceDescription ReadDevice(const Json& value, const std::wstring& path) {
  RequireObject(value, path);
  CheckKeys(value, path, {"class_guid", "class_name", "class_description", "hardware_ids", "compatible_ids",
                          "friendly_name", "device_desc", "service", "instance_id", "driver"});
  DeviceDescription device;
  device.json_path = path;

  const auto guid = value.find("class_guid");
  if (guid == value.end()) Fail(Key(path, L"class_guid"), L"is missing");
  device.class_guid = Text(*guid, Key(path, L"class_guid"));
  if (!IsGuidText(device.class_guid)) {
    Fail(Key(path, L"class_guid"), L"is not a GUID in braces like {4d36e968-e325-11ce-bfc1-08002be10318}");
  }

  device.class_name = OptionalText(value, "class_name", path);
  if (device.class_name) {
    const std::wstring where = Key(path, L"class_name");
    if (device.class_name->empty()) Fail(where, L"is empty");
    if (device.class_name->size() > kMaxClassNameLength) Fail(where, L"is longer than 32 characters");
    if (device.class_name->find(L'\\') != std::wstring::npos) Fail(where, L"contains a backslash");
  }
  device.class_description = OptionalText(value, "class_description", path);

  const auto hardware = value.find("hardware_ids");
  if (hardware == value.end()) Fail(Key(path, L"hardware_ids"), L"is missing");
  device.hardware_ids = IdList(*hardware, Key(path, L"hardware_ids"));
  if (device.hardware_ids.empty()) Fail(Key(path, L"hardware_ids"), L"is empty: a device needs a hardware ID");
  if (const auto compatible = value.find("compatible_ids"); compatible != value.end()) {
    device.compatible_ids = IdList(*compatible, Key(path, L"compatible_ids"));
  }

  device.friendly_name = OptionalText(value, "friendly_name", path);
  device.device_desc = OptionalText(value, "device_desc", path);
  device.service = OptionalText(value, "service", path);
  if (device.service) {
    const std::wstring where = Key(path, L"service");
    if (device.service->empty()) Fail(where, L"is empty");
    if (device.service->size() > kMaxServiceNameLength) Fail(where, L"is longer than 256 characters");
    if (device.service->find_first_of(L"\\/") != std::wstring::npos) Fail(where, L"contains a slash or backslash");
  }

  if (const auto given = value.find("instance_id"); given != value.end()) {
    device.instance_id = Text(*given, Key(path, L"instance_id"));
    if (!IsValidInstanceId(device.instance_id)) {
      Fail(Key(path, L"instance_id"),
           L"is not a device instance ID (ENUMERATOR\\DEVICE\\INSTANCE, printable ASCII without blanks or "
           L"commas, at most 199 characters)");
    }
  }
  if (const auto driver = value.find("driver"); driver != value.end()) {
    device.driver = ReadDriver(*driver, Key(path, L"driver"));
  }
  return device;
}

// Derives the missing instance IDs and refuses two devices with the same one:
// the second would silently overwrite the first.
void AssignInstanceIds(std::vector<DeviceDescription>& devices) {
  std::map<std::wstring, std::uint32_t> occurrences;
  std::map<std::wstring, std::wstring> owners;  // lower-case instance ID -> JSON path
  for (DeviceDescription& device : devices) {
    if (device.instance_id.empty()) {
      std::uint32_t& seen = occurrences[AsciiToLower(device.hardware_ids.front())];
      device.instance_id = DeriveInstanceId(device.hardware_ids.front(), seen++);
    }
    const auto [it, inserted] = owners.emplace(AsciiToLower(device.instance_id), device.json_path);
    if (!inserted) {
      Fail(device.json_path, L"has the same instance ID as " + it->second + L" (" + device.instance_id +
                                 L"); give one of them an \"instance_id\"");
    }
  }
}

MachineDescription ReadMachine(const Json& root) {
  RequireObject(root, L"");
  CheckKeys(root, L"", {"windows", "devices"});
  MachineDescription machine;
  machine.windows = OptionalText(root, "windows", L"");
  if (machine.windows) {
    bool known = false;
    for (std::wstring_view name : KnownWindowsVersions()) known = known || name == *machine.windows;
    if (!known) Fail(L"windows", L"\"" + *machine.windows + L"\" is not one of win2k winxp winxp64 win2003 vista win2008 win7 win10");
  }
  const auto devices = root.find("devices");
  if (devices == root.end()) Fail(L"devices", L"is missing");
  if (!devices->is_array()) Fail(L"devices", std::wstring(L"must be an array, not ") + TypeName(*devices));
  if (devices->size() > kMaxDevices) Fail(L"devices", L"has more than " + std::to_wstring(kMaxDevices) + L" devices");
  for (size_t i = 0; i < devices->size(); ++i) {
    machine.devices.push_back(ReadDevice((*devices)[i], Index(L"devices", i)));
  }
  AssignInstanceIds(machine.devices);
  return machine;
}

bool IsHexDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

}  // namespace

const std::vector<std::wstring_view>& KnownWindowsVersions() {
  static const std::vector<std::wstring_view> names = {L"win2k", L"winxp",   L"winxp64", L"win2003",
                                                       L"vista", L"win2008", L"win7",    L"win10"};
  return names;
}

bool IsGuidText(std::wstring_view text) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != L'-' : !IsHexDigit(text[i])) return false;
  }
  return true;
}

DescriptionResult ParseMachineDescription(std::string_view json_utf8) {
  DescriptionResult result;
  if (json_utf8.size() > kMaxDescriptionBytes) {
    result.error = L"the description is larger than 16 MiB";
    return result;
  }
  try {
    const Json::parser_callback_t limit_depth = [](int depth, Json::parse_event_t, Json&) {
      if (depth > kMaxDepth) throw TooDeep{};
      return true;
    };
    const Json root = Json::parse(json_utf8.begin(), json_utf8.end(), limit_depth,
                                  /*allow_exceptions=*/true, /*ignore_comments=*/true);
    result.machine = ReadMachine(root);
  } catch (const Json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 3, column 7: ..."
    std::string what = e.what();
    if (const size_t bracket = what.find("] "); bracket != std::string::npos) what.erase(0, bracket + 2);
    result.error = L"not valid JSON: " + FromUtf8(what);
  } catch (const TooDeep&) {
    result.error = L"not a machine description: nested deeper than " + std::to_wstring(kMaxDepth) + L" levels";
  } catch (const DescriptionFault& fault) {
    result.error = fault.message;
  } catch (const std::exception& e) {
    result.error = L"not a machine description: " + FromUtf8(e.what());
  }
  return result;
}

}  // namespace velkor::testmachine
