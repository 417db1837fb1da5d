#include "inf_models.hpp"

#include <algorithm>
#include <map>

#include "base/text.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"
#include "windows_releases.hpp"

namespace velkor::service {
namespace {

bool IsUsableId(const std::wstring& id) {
  if (id.empty() || id.size() > kMaxIdChars) return false;
  for (wchar_t c : id) {
    if (c == L'|' || c < 0x20) return false;
  }
  return true;
}

}  // namespace

std::wstring ReadInfDate(std::wstring_view text) {
  std::wstring normalised(Trim(text));
  for (wchar_t& c : normalised) {
    if (c == L'/') c = L'-';
  }
  const std::vector<std::wstring> parts = SplitText(normalised, L'-');
  if (parts.size() != 3) return {};
  // month-day-year into the year-month-day form that dates are compared in.
  return NormaliseDate(parts[2], parts[0], parts[1]);
}

InfDriverInfo ReadInfDriverInfo(const InfFile& inf) {
  InfDriverInfo info;
  const std::vector<std::wstring> driverVer = inf.Values(L"Version", L"DriverVer");
  if (!driverVer.empty()) info.date = ReadInfDate(driverVer[0]);
  if (driverVer.size() > 1) info.version = driverVer[1];
  info.provider = inf.Value(L"Version", L"Provider");
  info.className = inf.Value(L"Version", L"Class");
  for (const wchar_t* key : {L"CatalogFile", L"CatalogFile.NT", L"CatalogFile.NTx86",
                             L"CatalogFile.NTamd64", L"CatalogFile.NTia64"}) {
    info.catalogFile = inf.Value(L"Version", key);
    if (!info.catalogFile.empty()) break;
  }

  std::map<std::wstring, std::size_t> indexByKey;
  std::vector<bool> listedWhereServed;
  // Adds the IDs of one models section; the entry's term for each ID collects
  // the sections that list it.
  auto addIds = [&](const std::vector<InfLine>& lines, int section, std::uint32_t mask,
                    std::map<std::size_t, std::vector<int>>& listing) {
    for (const InfLine& line : lines) {
      // Model lines: description = install section, hardware ID, compatible IDs...
      for (std::size_t i = 1; i < line.values.size(); ++i) {
        const std::wstring& id = line.values[i];
        if (!IsUsableId(id)) continue;
        std::wstring key = AsciiToLower(id);
        auto found = indexByKey.find(key);
        if (found == indexByKey.end()) {
          found = indexByKey.emplace(key, info.ids.size()).first;
          info.ids.push_back(InfListedId{id, std::move(key), 0, {}, false});
          listedWhereServed.push_back(false);
        }
        InfListedId& listed = info.ids[found->second];
        // The answer names the ID as written where the client's systems first
        // meet it, as it always has; else where it is first written.
        if (mask != 0 && !listedWhereServed[found->second]) {
          listed.listed = id;
          listedWhereServed[found->second] = true;
        }
        listed.osMask |= mask;
        listed.asHardwareId = listed.asHardwareId || i == 1;
        std::vector<int>& sections = listing[found->second];
        if (sections.empty() || sections.back() != section) sections.push_back(section);
      }
    }
  };

  const std::vector<InfLine>* manufacturers = inf.Section(L"Manufacturer");
  if (manufacturers == nullptr) return info;
  for (const InfLine& entry : *manufacturers) {
    if (entry.values.empty() || entry.values[0].empty()) continue;
    const std::wstring& base = entry.values[0];
    std::vector<OsDecoration> decorations;
    std::vector<const std::vector<InfLine>*> decoratedSections;
    for (std::size_t i = 1; i < entry.values.size(); ++i) {
      OsDecoration decoration;
      if (!ParseOsDecoration(entry.values[i], decoration)) continue;
      const std::vector<InfLine>* section = inf.Section(base + L"." + decoration.text);
      // A decoration without its section cannot be installed from; the entry is
      // read as if it were not listed.
      if (section == nullptr) continue;
      decorations.push_back(std::move(decoration));
      decoratedSections.push_back(section);
    }
    const std::vector<InfLine>* undecorated = inf.Section(base);
    const ServedSections served = ServedByManufacturer(decorations, undecorated != nullptr);
    std::map<std::size_t, std::vector<int>> listing;  // ID position -> sections, ascending
    if (undecorated != nullptr) addIds(*undecorated, kUndecoratedSection, served.undecorated, listing);
    for (std::size_t i = 0; i < decoratedSections.size(); ++i) {
      addIds(*decoratedSections[i], static_cast<int>(i), served.decorated[i], listing);
    }
    for (auto& [position, sections] : listing) {
      ServingRule& rule = info.ids[position].rule;
      if (rule.terms.size() >= kMaxRuleTerms) continue;
      rule.terms.push_back(RuleTerm{undecorated != nullptr, decorations, std::move(sections)});
    }
  }

  // An ID no real Windows would install from is of no use to anyone.
  std::map<std::string, bool> servesSomeRelease;  // by rule text
  std::vector<InfListedId> kept;
  for (InfListedId& id : info.ids) {
    bool useful = id.osMask != 0;
    if (!useful) {
      const std::string text = RuleText(id.rule);
      auto known = servesSomeRelease.find(text);
      if (known == servesSomeRelease.end()) {
        const std::vector<bool> served = ServedReleases({ServedBy{&id.rule, 0}});
        known = servesSomeRelease.emplace(text, std::find(served.begin(), served.end(), true) != served.end()).first;
      }
      useful = known->second;
    }
    if (useful) kept.push_back(std::move(id));
  }
  info.ids = std::move(kept);
  for (const InfListedId& id : info.ids) info.osMask |= id.osMask;
  return info;
}

}  // namespace velkor::service
