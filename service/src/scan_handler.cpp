#include "scan_handler.hpp"

#include <tinyxml2.h>

#include <climits>
#include <map>
#include <memory>
#include <set>
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
  std::string date;  // YYYY-MM-DD or empty
  std::vector<std::string> ids;
};

HandlerResult BadRequest(const char* reason) {
  return HandlerResult{400, "text/plain; charset=utf-8", std::string(reason) + "\n"};
}

HandlerResult TooMuch(const char* reason) {
  return HandlerResult{413, "text/plain; charset=utf-8", std::string(reason) + "\n"};
}

// Element names compare in any letter case (ASCII; name is lower case).
bool NameIs(const tinyxml2::XMLElement* element, std::string_view name) {
  const char* text = element->Name();
  for (char expected : name) {
    char c = *text++;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != expected) return false;
  }
  return *text == '\0';
}

// The text of the first child element of that name (any letter case), as it
// stands (UTF-8); empty when there is none or it holds elements instead of text.
std::string_view ChildUtf8(const tinyxml2::XMLElement* parent, std::string_view name) {
  for (const tinyxml2::XMLElement* child = parent->FirstChildElement(); child != nullptr;
       child = child->NextSiblingElement()) {
    if (!NameIs(child, name)) continue;
    const char* text = child->GetText();
    return text ? std::string_view(text) : std::string_view();
  }
  return {};
}

// The same, trimmed, as UTF-16 (for the short fields the rules read so).
std::wstring ChildText(const tinyxml2::XMLElement* parent, std::string_view name) {
  return Trim(FromUtf8(ChildUtf8(parent, name)));
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

void AppendElement(std::string& out, std::string_view name, std::string_view value) {
  out += '<';
  out += name;
  if (value.empty()) {
    out += "/>\r\n";
    return;
  }
  out += '>';
  AppendEscapedXmlText(out, value);
  out += "</";
  out += name;
  out += ">\r\n";
}

void AppendRecord(std::string& out, std::string& scratch, long long driverId, const Offer& offer) {
  const OfferDriver& d = offer.driver;
  out += "<Table>\r\n";
  AppendElement(out, "driverid", std::to_string(driverId));
  AppendElement(out, "hardwareidentifier", offer.listedId);
  AppendElement(out, "hardwareid", d.catalogKey);
  scratch.clear();
  AppendClientDriverDate(scratch, d.date);
  AppendElement(out, "infdate", scratch);
  scratch.clear();
  AppendClientInfPath(scratch, d.infPath);
  AppendElement(out, "infpath", scratch);
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

// The first serving driver of the walk: the newest. Fills offer (its strings
// reused from call to call); false when no driver serves.
bool NewestOffer(OfferSource& offers, const std::string& id, const SystemFilter& filter,
                 const std::string& installedDate, Offer& offer, bool& error) {
  std::optional<std::int64_t> chosen;
  const bool read = offers.WalkCandidates(id, installedDate, filter.LegacyMask(), [&](const OfferCandidate& c) {
    if (!filter.Serves(c)) return true;
    chosen = c.driverId;
    offer.listedId.assign(c.listedId);
    return false;
  });
  if (!read) error = true;
  return chosen && offers.DriverFields(*chosen, offer.driver);
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
                            std::vector<std::optional<Offer>>& out) {
  std::vector<std::vector<RankedCandidate>> byId(device.ids.size());
  struct Rank {
    std::size_t position;
    int role;  // 0: named as a model line's hardware ID there
  };
  std::map<std::int64_t, Rank> ranks;
  for (std::size_t p = 0; p < device.ids.size(); ++p) {
    const bool read = offers.WalkCandidates(
        device.ids[p], device.date, filter.LegacyMask(), [&](const OfferCandidate& c) {
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
    Offer offer{best->listedId, {}};
    if (offers.DriverFields(best->driverId, offer.driver)) out[p] = std::move(offer);
  }
  return true;
}

}  // namespace

void AppendEscapedXmlText(std::string& out, std::string_view text) {
  // Runs without the three characters go in whole.
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t special = text.find_first_of("<>&", start);
    out.append(text.substr(start, special - start));
    if (special == std::string_view::npos) return;
    out += text[special] == '<' ? "&lt;" : text[special] == '>' ? "&gt;" : "&amp;";
    start = special + 1;
  }
}

std::optional<Offer> FindNewestOffer(OfferSource& offers, const std::string& id, int osid,
                                     const std::optional<WindowsSystem>& system,
                                     const std::string& installedDate, bool& error) {
  std::unique_ptr<RuleJudge> judge;
  if (system) judge = std::make_unique<RuleJudge>(*system);
  Offer offer;
  if (!NewestOffer(offers, id, SystemFilter(osid, judge.get()), installedDate, offer, error)) return std::nullopt;
  return offer;
}

HandlerResult HandleScanRequest(std::string_view body, OfferSource& offers, const ScanOptions& options) {
  if (body.size() > kMaxScanBodyBytes) {
    return TooMuch("request too large");
  }
  // Entities other than the five predefined ones and character references are
  // never expanded by this parser, so no document can reach outside itself.
  tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
  if (document.Parse(body.data(), body.size()) != tinyxml2::XML_SUCCESS) {
    return BadRequest("malformed scan request");
  }
  const tinyxml2::XMLElement* root = document.RootElement();
  if (root == nullptr || !NameIs(root, "newdataset")) return BadRequest("not a scan request");

  std::vector<ScanDevice> devices;
  std::set<long long> numbers;
  std::size_t repeated = 0;
  std::size_t ids = 0;
  for (const tinyxml2::XMLElement* element = root->FirstChildElement(); element != nullptr;
       element = element->NextSiblingElement()) {
    if (!NameIs(element, "device")) continue;
    if (devices.size() == kMaxScanDevices) return BadRequest("too many devices");
    ScanDevice device;
    // A device without a usable number could not be matched by the client.
    if (!ReadDeviceNumber(ChildText(element, "driverid"), device.driverId)) continue;
    device.osid = ParseDecimal(ChildText(element, "osid"));
    device.date = ToUtf8(ReadRequestDate(ChildText(element, "date")));
    device.ids = RequestIds(ChildUtf8(element, "matchingid"));
    // Bounded work: every ID is a lookup.
    if (!numbers.insert(device.driverId).second && ++repeated > kMaxRepeatedDeviceNumbers) {
      return TooMuch("too many repeated device numbers");
    }
    ids += device.ids.size();
    if (ids > kMaxScanIds) return TooMuch("too many IDs in one request");
    devices.push_back(std::move(device));
  }

  std::unique_ptr<RuleJudge> judge;
  if (options.system) judge = std::make_unique<RuleJudge>(*options.system);
  HandlerResult result{200, "text/xml; charset=utf-8", "<NewDataSet>\r\n"};
  std::string& answer = result.body;
  const std::size_t empty = answer.size();
  Offer offer;
  std::string scratch;
  bool error = false;
  for (const ScanDevice& device : devices) {
    const SystemFilter filter(device.osid, judge.get());
    if (options.rank == OfferRank::kIdentifier) {
      std::vector<std::optional<Offer>> chosen;
      if (!IdentifierRankedOffers(offers, device, filter, chosen)) error = true;
      for (const std::optional<Offer>& ranked : chosen) {
        if (ranked) AppendRecord(answer, scratch, device.driverId, *ranked);
      }
      continue;
    }
    for (const std::string& id : device.ids) {
      if (NewestOffer(offers, id, filter, device.date, offer, error)) {
        AppendRecord(answer, scratch, device.driverId, offer);
      }
    }
  }
  // An answer with records missing would tell the client its drivers are current.
  if (error) return HandlerResult{503, "text/plain; charset=utf-8", "catalog unavailable\n"};
  if (answer.size() == empty) answer = "<NewDataSet/>\r\n";
  else answer += "</NewDataSet>\r\n";
  return result;
}

}  // namespace velkor::service
