#include "inf_models.hpp"

#include <map>

#include "base/text.hpp"
#include "offer_rules.hpp"
#include "os_codes.hpp"

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
  auto addIds = [&](const std::vector<InfLine>& lines, std::uint32_t mask) {
    for (const InfLine& line : lines) {
      // Model lines: description = install section, hardware ID, compatible IDs...
      for (std::size_t i = 1; i < line.values.size(); ++i) {
        const std::wstring& id = line.values[i];
        if (!IsUsableId(id)) continue;
        std::wstring key = AsciiToLower(id);
        const auto found = indexByKey.find(key);
        if (found != indexByKey.end()) {
          info.ids[found->second].osMask |= mask;
          continue;
        }
        indexByKey.emplace(key, info.ids.size());
        info.ids.push_back(InfListedId{id, std::move(key), mask});
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
    if (undecorated != nullptr && served.undecorated != 0) addIds(*undecorated, served.undecorated);
    for (std::size_t i = 0; i < decoratedSections.size(); ++i) {
      if (served.decorated[i] != 0) addIds(*decoratedSections[i], served.decorated[i]);
    }
  }
  for (const InfListedId& id : info.ids) info.osMask |= id.osMask;
  return info;
}

}  // namespace velkor::service
