#include "sidecar.hpp"

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "inf_models.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"
#include "package_reader.hpp"

namespace velkor::service {
namespace {

using nlohmann::json;

bool ReadFlag(const json& value, const char* key, std::optional<bool>& out, std::string& error) {
  if (value.is_boolean()) out = value.get<bool>();
  else if (value.is_number_integer() && (value.get<long long>() == 0 || value.get<long long>() == 1))
    out = value.get<long long>() == 1;
  else {
    error = std::string("\"") + key + "\" must be 0, 1, false or true";
    return false;
  }
  return true;
}

bool ReadText(const json& value, const char* key, std::optional<std::wstring>& out, std::string& error) {
  if (!value.is_string() || value.get_ref<const std::string&>().size() > 4096) {
    error = std::string("\"") + key + "\" must be a text";
    return false;
  }
  out = FromUtf8(value.get_ref<const std::string&>());
  return true;
}

}  // namespace

bool ParseSidecar(std::string_view text, Sidecar& out, std::string& error) {
  if (text.size() > kMaxSidecarBytes) {
    error = "sidecar too large";
    return false;
  }
  const json document = json::parse(text.begin(), text.end(), nullptr, false);
  if (document.is_discarded() || !document.is_object()) {
    error = "sidecar is not a JSON object";
    return false;
  }
  Sidecar sidecar;
  for (const auto& [key, value] : document.items()) {
    bool ok = true;
    if (key == "isInstall") ok = ReadFlag(value, "isInstall", sidecar.isInstall, error);
    else if (key == "isSpecificCase") ok = ReadFlag(value, "isSpecificCase", sidecar.isSpecificCase, error);
    else if (key == "signer") ok = ReadText(value, "signer", sidecar.signer, error);
    else if (key == "provider") ok = ReadText(value, "provider", sidecar.provider, error);
    else if (key == "class") ok = ReadText(value, "class", sidecar.className, error);
    else if (key == "version") ok = ReadText(value, "version", sidecar.version, error);
    else if (key == "date") {
      std::optional<std::wstring> raw;
      ok = ReadText(value, "date", raw, error);
      if (ok) {
        std::wstring date = ReadRequestDate(*raw);
        if (date.empty()) date = ReadInfDate(*raw);
        if (date.empty()) {
          error = "\"date\" is not a date";
          ok = false;
        }
        sidecar.date = date;
      }
    } else if (key == "infPath") {
      std::optional<std::wstring> raw;
      ok = ReadText(value, "infPath", raw, error);
      if (ok) {
        const std::string clean = CleanEntryPath(ToUtf8(*raw));
        if (clean.empty()) {
          error = "\"infPath\" must be a relative path inside the package";
          ok = false;
        }
        sidecar.infPath = FromUtf8(clean);
      }
    } else if (key == "os") {
      std::uint32_t mask = 0;
      ok = value.is_array();
      for (const json& code : value) {
        if (!ok) break;
        ok = code.is_number_integer() && OsCodeBit(code.get<int>()) != 0;
        if (ok) mask |= OsCodeBit(code.get<int>());
      }
      if (!ok) error = "\"os\" must be an array of OS version codes";
      sidecar.osMask = mask;
    } else if (key == "ids") {
      std::vector<std::wstring> ids;
      ok = value.is_array() && value.size() <= 65536;
      for (const json& id : value) {
        if (!ok) break;
        ok = id.is_string() && !id.get_ref<const std::string&>().empty() &&
             id.get_ref<const std::string&>().size() <= kMaxIdChars &&
             id.get_ref<const std::string&>().find('|') == std::string::npos;
        if (ok) ids.push_back(FromUtf8(id.get_ref<const std::string&>()));
      }
      if (!ok) error = "\"ids\" must be an array of IDs (no \"|\")";
      sidecar.ids = std::move(ids);
    } else {
      error = "unknown key \"" + key + "\"";
      ok = false;
    }
    if (!ok) return false;
  }
  out = std::move(sidecar);
  return true;
}

}  // namespace velkor::service
