#include "scan_handler.hpp"

#include <tinyxml2.h>

#include <climits>
#include <map>
#include <memory>
#include <vector>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"
#include "serving_rule.hpp"

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
  const OfferDriver& d = offer.driver;
  out += "<Table>\r\n";
  AppendElement(out, "driverid", std::to_string(driverId));
  AppendElement(out, "hardwareidentifier", offer.listedId);
  AppendElement(out, "hardwareid", d.catalogKey);
  AppendElement(out, "infdate", ToUtf8(ClientDriverDate(FromUtf8(d.date))));
  AppendElement(out, "infpath", ToUtf8(ClientInfPath(FromUtf8(d.infPath))));
  AppendElement(out, "version", d.version);
  AppendElement(out, "isSpecificCase", d.isSpecificCase ? "1" : "0");
  AppendElement(out, "md5", d.md5);
  AppendElement(out, "isInstall", d.isInstall ? "1" : "0");
  AppendElement(out, "signer", d.signer);
  out += "</Table>\r\n";
}

// Which drivers serve the device's system: the osid's codes, or the exact
// system the request told (one judge for the whole request: its rules repeat).
class SystemFilter {
 public:
  SystemFilter(int osid, RuleJudge* judge) : mask_(OsMaskForRequest(osid)), judge_(judge) {}
  // What the source may filter on by itself: the codes, when they decide.
  std::uint32_t LegacyMask() const { return judge_ ? 0 : mask_; }
  bool Serves(const OfferCandidate& c) const {
    return judge_ ? judge_->Serves(c.osRule, c.osMask) : (c.osMask & mask_) != 0;
  }

 private:
  std::uint32_t mask_;
  RuleJudge* judge_;
};

// The first serving driver of the walk: the newest.
std::optional<Offer> NewestOffer(OfferSource& offers, const std::string& id, const SystemFilter& filter,
                                 const std::string& installedDate, bool& error) {
  std::optional<std::int64_t> chosen;
  std::string listed;
  const bool read = offers.WalkCandidates(id, installedDate, filter.LegacyMask(),
                                          [&](const OfferCandidate& c) {
                                            if (!filter.Serves(c)) return true;
                                            chosen = c.driverId;
                                            listed = std::string(c.listedId);
                                            return false;
                                          });
  if (!read) error = true;
  if (!chosen) return std::nullopt;
  std::optional<OfferDriver> driver = offers.DriverFields(*chosen);
  if (!driver) return std::nullopt;
  return Offer{std::move(listed), std::move(*driver)};
}

struct RankedCandidate {
  std::int64_t driverId;
  std::string listedId;
  bool asHardwareId;
};

// The identifier rank: every serving driver of every ID of the device is
// ranked by the earliest of the device's IDs it lists; each ID's record is its
// best-ranked driver, drivers of equal rank in offer order.
bool IdentifierRankedOffers(OfferSource& offers, const ScanDevice& device, const SystemFilter& filter,
                            const std::string& installedDate, std::vector<std::optional<Offer>>& out) {
  std::vector<std::vector<RankedCandidate>> byId(device.ids.size());
  struct Rank {
    std::size_t position;
    int role;  // 0: named as a model line's hardware ID there
  };
  std::map<std::int64_t, Rank> ranks;
  for (std::size_t p = 0; p < device.ids.size(); ++p) {
    const bool read = offers.WalkCandidates(
        ToUtf8(device.ids[p]), installedDate, filter.LegacyMask(), [&](const OfferCandidate& c) {
          if (!filter.Serves(c)) return true;
          byId[p].push_back(RankedCandidate{c.driverId, std::string(c.listedId), c.asHardwareId});
          // Walks go in device order, so the first rank a driver gets is its best.
          ranks.emplace(c.driverId, Rank{p, c.asHardwareId ? 0 : 1});
          return true;
        });
    if (!read) return false;
  }
  out.assign(device.ids.size(), std::nullopt);
  for (std::size_t p = 0; p < device.ids.size(); ++p) {
    const RankedCandidate* best = nullptr;
    Rank bestRank{};
    for (const RankedCandidate& c : byId[p]) {
      const Rank rank = ranks.at(c.driverId);
      if (best == nullptr || rank.position < bestRank.position ||
          (rank.position == bestRank.position && rank.role < bestRank.role)) {
        best = &c;
        bestRank = rank;
      }
    }
    if (best == nullptr) continue;
    std::optional<OfferDriver> driver = offers.DriverFields(best->driverId);
    if (driver) out[p] = Offer{best->listedId, std::move(*driver)};
  }
  return true;
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

std::optional<Offer> FindNewestOffer(OfferSource& offers, const std::string& id, int osid,
                                     const std::optional<WindowsSystem>& system,
                                     const std::string& installedDate, bool& error) {
  std::unique_ptr<RuleJudge> judge;
  if (system) judge = std::make_unique<RuleJudge>(*system);
  return NewestOffer(offers, id, SystemFilter(osid, judge.get()), installedDate, error);
}

HandlerResult HandleScanRequest(std::string_view body, OfferSource& offers, const ScanOptions& options) {
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

  std::unique_ptr<RuleJudge> judge;
  if (options.system) judge = std::make_unique<RuleJudge>(*options.system);
  std::string answer;
  bool error = false;
  for (const ScanDevice& device : devices) {
    const SystemFilter filter(device.osid, judge.get());
    const std::string date = ToUtf8(device.date);
    if (options.rank == OfferRank::kIdentifier) {
      std::vector<std::optional<Offer>> chosen;
      if (!IdentifierRankedOffers(offers, device, filter, date, chosen)) error = true;
      for (const std::optional<Offer>& offer : chosen) {
        if (offer) AppendRecord(answer, device.driverId, *offer);
      }
      continue;
    }
    for (const std::wstring& id : device.ids) {
      const std::optional<Offer> offer = NewestOffer(offers, ToUtf8(id), filter, date, error);
      if (offer) AppendRecord(answer, device.driverId, *offer);
    }
  }
  // An answer with records missing would tell the client its drivers are current.
  if (error) return HandlerResult{503, "text/plain; charset=utf-8", "catalog unavailable\n"};
  HandlerResult result{200, "text/xml; charset=utf-8", {}};
  result.body = answer.empty() ? "<NewDataSet/>\r\n" : "<NewDataSet>\r\n" + answer + "</NewDataSet>\r\n";
  return result;
}

}  // namespace velkor::service
