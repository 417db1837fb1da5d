#include "scan_handler.hpp"

#include <tinyxml2.h>

#include <climits>
#include <vector>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"

namespace velkor::service {
namespace {

struct ScanDevice {
  long long driverId = 0;
  int osid = -1;
  std::wstring date;  // YYYY-MM-DD or empty
  std::vector<std::wstring> ids;
};

HandlerResult BadRequest(const char* reason) {
  return HandlerResult{400, "text/plain; charset=utf-8", std::string(reason) + "\n"};
}

bool NameIs(const tinyxml2::XMLElement* element, std::wstring_view name) {
  return AsciiEqualsNoCase(FromUtf8(element->Name()), name);
}

// The text of the first child element of that name (any letter case), trimmed;
// empty when there is none or it holds elements instead of text.
std::wstring ChildText(const tinyxml2::XMLElement* parent, std::wstring_view name) {
  for (const tinyxml2::XMLElement* child = parent->FirstChildElement(); child != nullptr;
       child = child->NextSiblingElement()) {
    if (!NameIs(child, name)) continue;
    const char* text = child->GetText();
    return text ? Trim(FromUtf8(text)) : std::wstring();
  }
  return {};
}

// A device number: decimal digits only, within the 32-bit range.
bool ReadDeviceNumber(const std::wstring& text, long long& value) {
  if (text.empty() || text.size() > 10) return false;
  long long v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
  }
  if (v > INT_MAX) return false;
  value = v;
  return true;
}

void AppendElement(std::string& out, const char* name, std::string_view value) {
  if (value.empty()) {
    out += '<';
    out += name;
    out += "/>\r\n";
    return;
  }
  out += '<';
  out += name;
  out += '>';
  out += EscapeXmlText(value);
  out += "</";
  out += name;
  out += ">\r\n";
}

void AppendRecord(std::string& out, long long driverId, const Offer& offer) {
  out += "<Table>\r\n";
  AppendElement(out, "driverid", std::to_string(driverId));
  AppendElement(out, "hardwareidentifier", offer.listedId);
  AppendElement(out, "hardwareid", offer.catalogKey);
  AppendElement(out, "infdate", ToUtf8(ClientDriverDate(FromUtf8(offer.date))));
  AppendElement(out, "infpath", ToUtf8(ClientInfPath(FromUtf8(offer.infPath))));
  AppendElement(out, "version", offer.version);
  AppendElement(out, "isSpecificCase", offer.isSpecificCase ? "1" : "0");
  AppendElement(out, "md5", offer.md5);
  AppendElement(out, "isInstall", offer.isInstall ? "1" : "0");
  AppendElement(out, "signer", offer.signer);
  out += "</Table>\r\n";
}

}  // namespace

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

HandlerResult HandleScanRequest(std::string_view body, OfferSource& offers) {
  if (body.size() > kMaxScanBodyBytes) {
    return HandlerResult{413, "text/plain; charset=utf-8", "request too large\n"};
  }
  // Entities other than the five predefined ones and character references are
  // never expanded by this parser, so no document can reach outside itself.
  tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
  if (document.Parse(body.data(), body.size()) != tinyxml2::XML_SUCCESS) {
    return BadRequest("malformed scan request");
  }
  const tinyxml2::XMLElement* root = document.RootElement();
  if (root == nullptr || !NameIs(root, L"newdataset")) return BadRequest("not a scan request");

  std::vector<ScanDevice> devices;
  for (const tinyxml2::XMLElement* element = root->FirstChildElement(); element != nullptr;
       element = element->NextSiblingElement()) {
    if (!NameIs(element, L"device")) continue;
    if (devices.size() == kMaxScanDevices) return BadRequest("too many devices");
    ScanDevice device;
    // A device without a usable number could not be matched by the client.
    if (!ReadDeviceNumber(ChildText(element, L"driverid"), device.driverId)) continue;
    device.osid = ParseDecimal(ChildText(element, L"osid"));
    device.date = ReadRequestDate(ChildText(element, L"date"));
    device.ids = RequestIds(ChildText(element, L"matchingid"));
    devices.push_back(std::move(device));
  }

  std::string answer;
  for (const ScanDevice& device : devices) {
    const std::uint32_t osMask = OsMaskForRequest(device.osid);
    const std::string date = ToUtf8(device.date);
    for (const std::wstring& id : device.ids) {
      const std::optional<Offer> offer = offers.BestOffer(ToUtf8(id), osMask, date);
      if (offer) AppendRecord(answer, device.driverId, *offer);
    }
  }
  HandlerResult result{200, "text/xml; charset=utf-8", {}};
  result.body = answer.empty() ? "<NewDataSet/>\r\n" : "<NewDataSet>\r\n" + answer + "</NewDataSet>\r\n";
  return result;
}

}  // namespace velkor::service
