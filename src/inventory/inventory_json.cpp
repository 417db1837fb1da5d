#include "inventory/inventory_json.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <limits>
#include <vector>

#include "base/utf.hpp"

namespace velkor {
namespace {

using Json = nlohmann::json;

struct TextField {
  const char* name;
  std::wstring DeviceRecord::*member;
};

// Field order of the record; the document keeps it so that a saved inventory
// reads like the record it came from.
constexpr std::array<TextField, 15> kTextFields = {{
    {"Name", &DeviceRecord::Name},
    {"InfPath", &DeviceRecord::InfPath},
    {"DriverVersion", &DeviceRecord::DriverVersion},
    {"ClassDescription", &DeviceRecord::ClassDescription},
    {"Spare", &DeviceRecord::Spare},
    {"Provider", &DeviceRecord::Provider},
    {"HardwareId", &DeviceRecord::HardwareId},
    {"DriverKey", &DeviceRecord::DriverKey},
    {"DriverDate", &DeviceRecord::DriverDate},
    {"Service", &DeviceRecord::Service},
    {"Signer", &DeviceRecord::Signer},
    {"ServerInfPath", &DeviceRecord::ServerInfPath},
    {"Md5", &DeviceRecord::Md5},
    {"ServerHardwareId", &DeviceRecord::ServerHardwareId},
    {"MatchingIds", &DeviceRecord::MatchingIds},
}};

struct NumberField {
  const char* name;
  std::int32_t DeviceRecord::*member;
};

constexpr std::array<NumberField, 3> kNumberFields = {{
    {"Tag", &DeviceRecord::Tag},
    {"IsSpecificCase", &DeviceRecord::IsSpecificCase},
    {"IsInstall", &DeviceRecord::IsInstall},
}};

// An array of objects of flat values is all a saved inventory holds; anything
// deeper is refused while parsing, before it can cost memory or stack.
constexpr int kMaxDepth = 2;

std::wstring Where(std::size_t index) { return L"device entry " + std::to_wstring(index); }

bool ReadInt32(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& out) {
  if (value.is_number_integer()) {
    if (value.is_number_unsigned()) {
      const auto u = value.get<std::uint64_t>();
      if (u > static_cast<std::uint64_t>(high)) return false;
      out = static_cast<std::int64_t>(u);
    } else {
      out = value.get<std::int64_t>();
    }
    return out >= low && out <= high;
  }
  return false;
}

bool ReadEntry(const Json& entry, std::size_t index, DeviceRecord& record, std::wstring& error) {
  if (!entry.is_object()) {
    error = Where(index) + L" is not an object";
    return false;
  }
  const auto number = entry.find("number");
  std::int64_t value = 0;
  if (number == entry.end()) {
    error = Where(index) + L" has no \"number\"";
    return false;
  }
  if (!ReadInt32(*number, 0, std::numeric_limits<std::int32_t>::max(), value) ||
      static_cast<std::size_t>(value) != index) {
    error = Where(index) + L" has \"number\" " + FromUtf8(number->dump()) + L"; expected " +
            std::to_wstring(index) + L" (devices are numbered 0, 1, 2... in order)";
    return false;
  }
  for (const TextField& field : kTextFields) {
    const auto it = entry.find(field.name);
    if (it == entry.end()) continue;
    if (!it->is_string()) {
      error = Where(index) + L": \"" + FromUtf8(field.name) + L"\" is not a text";
      return false;
    }
    std::wstring text = FromUtf8(it->get_ref<const std::string&>());
    if (text.size() > kMaxInventoryTextLength) {
      error = Where(index) + L": \"" + FromUtf8(field.name) + L"\" is too long";
      return false;
    }
    record.*field.member = std::move(text);
  }
  for (const NumberField& field : kNumberFields) {
    const auto it = entry.find(field.name);
    if (it == entry.end()) continue;
    if (!ReadInt32(*it, std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max(), value)) {
      error = Where(index) + L": \"" + FromUtf8(field.name) + L"\" is not a 32-bit integer";
      return false;
    }
    record.*field.member = static_cast<std::int32_t>(value);
  }
  return true;
}

}  // namespace

std::string WriteInventoryJson(const RecordTable& table, std::size_t count) {
  if (count > table.Capacity()) count = table.Capacity();
  // Keys in record order, "number" first, so that the document reads like the record.
  nlohmann::ordered_json document = nlohmann::ordered_json::array();
  for (std::size_t number = 0; number < count; ++number) {
    const DeviceRecord& record = table[number];
    nlohmann::ordered_json entry = nlohmann::ordered_json::object();
    entry["number"] = number;
    for (const TextField& field : kTextFields) entry[field.name] = ToUtf8(record.*field.member);
    for (const NumberField& field : kNumberFields) entry[field.name] = record.*field.member;
    document.push_back(std::move(entry));
  }
  // Texts from the system are already valid UTF-8 after ToUtf8; replace rather
  // than throw should one ever not be.
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

bool ReadInventoryJson(std::string_view document, RecordTable& table, std::int32_t& count,
                       std::wstring& error) {
  if (document.size() > kMaxInventoryJsonBytes) {
    error = L"the saved inventory is larger than " +
            std::to_wstring(kMaxInventoryJsonBytes / (1024 * 1024)) + L" MiB";
    return false;
  }
  bool too_deep = false;
  const Json::parser_callback_t limit_depth = [&too_deep](int depth, Json::parse_event_t event,
                                                          Json&) {
    if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
        depth >= kMaxDepth) {
      too_deep = true;
      throw std::invalid_argument("nested too deeply");
    }
    return true;
  };
  Json parsed;
  try {
    parsed = Json::parse(document.begin(), document.end(), limit_depth);
  } catch (const std::exception& failure) {
    error = too_deep ? std::wstring(L"the saved inventory nests values deeper than a device entry")
                     : L"the saved inventory is not valid JSON: " + FromUtf8(failure.what());
    return false;
  }
  if (!parsed.is_array()) {
    error = L"the saved inventory is not a JSON array of devices";
    return false;
  }
  if (parsed.size() > table.Capacity()) {
    error = L"the saved inventory lists " + std::to_wstring(parsed.size()) +
            L" devices; at most " + std::to_wstring(table.Capacity()) + L" fit";
    return false;
  }
  std::vector<DeviceRecord> records(parsed.size());
  for (std::size_t index = 0; index < parsed.size(); ++index) {
    if (!ReadEntry(parsed[index], index, records[index], error)) return false;
  }
  for (std::size_t number = 0; number < table.Capacity(); ++number) {
    table[number] = number < records.size() ? records[number] : DeviceRecord();
  }
  count = static_cast<std::int32_t>(records.size());
  return true;
}

}  // namespace velkor
