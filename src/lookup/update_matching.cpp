// Matching the answer's records to devices: each device takes the first record
// for its most specific candidate ID.

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "base/text.hpp"
#include "lookup/update_lookup.hpp"
#include "lookup/utf16_units.hpp"

namespace velkor {
namespace {

// A wide character outside the basic plane takes two UTF-16 units; where
// wchar_t is a UTF-16 unit itself, each one is one.
size_t Utf16Length(wchar_t c) { return (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2 : 1; }

// The candidate buffer holds 2047 UTF-16 units and a terminator. A list that
// does not fit keeps only the candidates that fit whole: a cut-off ID would be
// a different, shorter ID and could match a package meant for other devices.
std::wstring_view FitCandidateBuffer(std::wstring_view list) {
  constexpr size_t kRoom = kCandidateBufferUnits - 1;
  size_t units = 0;
  size_t cut = 0;
  for (; cut < list.size(); ++cut) {
    units += Utf16Length(list[cut]);
    if (units > kRoom) break;
  }
  if (cut == list.size() || list[cut] == L'|') return list.substr(0, cut);
  const size_t lastBar = list.substr(0, cut).rfind(L'|');
  return lastBar == std::wstring_view::npos ? std::wstring_view() : list.substr(0, lastBar);
}

std::wstring BeforeFirst(std::wstring_view text, std::wstring_view what) {
  const size_t at = text.find(what);
  return at == std::wstring_view::npos ? std::wstring() : std::wstring(text.substr(0, at));
}

void FillUpdate(DeviceRecord& slot, const std::wstring& candidate, const AnswerRecord& record,
                const DeviceRecord& device) {
  slot.HardwareId = candidate;
  slot.DriverVersion = record.version;
  slot.DriverDate = record.infdate;
  slot.Signer = record.signer;
  slot.ServerInfPath = record.infpath;
  slot.Md5 = record.md5;
  slot.ServerHardwareId = record.hardwareid;
  slot.ClassDescription = device.ClassDescription;
  slot.IsSpecificCase = !record.isSpecificCase.empty() && ParseDecimal(record.isSpecificCase) == 1 ? 1 : 0;
  slot.IsInstall = record.isInstall.empty() || ParseDecimal(record.isInstall) == 1 ? 1 : 0;
}

}  // namespace

std::vector<std::wstring> CXml::CandidateIds(const DeviceRecord& device, const ClassificationSets& sets) {
  const std::wstring& ids = device.MatchingIds;
  const std::wstring& hw = device.HardwareId;
  const size_t bar = ids.find(L'|');
  const std::wstring mid = bar == std::wstring::npos ? std::wstring() : AsciiToLower(ids.substr(0, bar));
  std::wstring c;
  // With a matching ID and compatible IDs after it: the hardware ID, its forms
  // without revision and without subsystem, and the matching ID unless generic.
  if (bar != std::wstring::npos && bar > 0) {
    c = Trim(hw);
    const std::wstring h = AsciiToLower(hw);
    if (!h.starts_with(L"&rev_")) {
      c += L"|" + Trim(BeforeFirst(h, L"&rev_"));
      if (!h.starts_with(L"&subsys_")) {
        const std::wstring s = BeforeFirst(h, L"&subsys_");
        if (s != mid) c += L"|" + Trim(s);
      }
    }
    const std::wstring m = ids.substr(0, bar);
    if (!IsGenericDevice(sets, L"", m)) c += L"|" + Trim(m);
  }
  c += L"|" + Trim(bar == std::wstring::npos ? std::wstring_view(ids) : std::wstring_view(ids).substr(bar + 1));

  std::vector<std::wstring> candidates;
  for (std::wstring& piece : SplitText(FitCandidateBuffer(c), L'|')) {
    if (!piece.empty()) candidates.push_back(AsciiToLower(piece));
  }
  return candidates;
}

void CXml::MatchUpdates(const UpdateMatchTables& tables) {
  for (const std::int32_t n : m_driverIds) {
    const DeviceRecord* device = tables.devices.Slot(n);
    DeviceRecord* slot = tables.updates.Slot(n);
    if (device == nullptr || slot == nullptr || n >= tables.deviceCount) continue;
    // The first record of each ID, in answer order, so that matching costs one
    // look-up per candidate however many records the answer holds.
    std::unordered_map<std::wstring, const AnswerRecord*> firstById;
    const auto [begin, end] = m_answers.equal_range(n);
    for (auto it = begin; it != end; ++it) {
      firstById.emplace(AsciiToLower(it->second.hardwareidentifier), &it->second);
    }
    if (firstById.empty()) continue;
    for (const std::wstring& candidate : CandidateIds(*device, tables.sets)) {
      if (!slot->HardwareId.empty()) break;
      const auto found = firstById.find(candidate);
      if (found == firstById.end()) continue;
      FillUpdate(*slot, candidate, *found->second, *device);
      if (!IsGenericDevice(tables.sets, L"", candidate)) m_nonGeneric.insert(n);
      ++tables.updateCount;
    }
  }

  std::vector<std::wstring>& list = tables.updateList;
  list.clear();
  for (const std::int32_t n : m_nonGeneric) {
    const DeviceRecord* device = tables.devices.Slot(n);
    if (device == nullptr) continue;
    list.push_back(device->ClassDescription + L"|" + device->Name + L"|" + std::to_wstring(n));
  }
  // Stable, and comparing only when strictly greater: the same order as
  // swapping neighbours until nothing moves.
  std::stable_sort(list.begin(), list.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareUpdateListTexts(a, b) < 0;
  });
}

int CompareUpdateListTexts(std::wstring_view a, std::wstring_view b) {
  auto fold = [](char16_t c) -> char16_t { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  const std::u16string x = ToUtf16Units(a);
  const std::u16string y = ToUtf16Units(b);
  const size_t common = std::min(x.size(), y.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t p = fold(x[i]);
    const char16_t q = fold(y[i]);
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}

}  // namespace velkor
