// Reading the service's answer: every element without children is a field of
// the answer record being read, and "signer" closes the record.

#include <algorithm>

#include "base/text.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor {
namespace {

// How many device numbers can be addressed in every table involved.
std::int32_t ValidDeviceNumbers(const UpdateMatchTables& tables) {
  const std::int64_t limit = std::min<std::int64_t>({
      static_cast<std::int64_t>(tables.deviceCount),
      static_cast<std::int64_t>(tables.devices.Capacity()),
      static_cast<std::int64_t>(tables.updates.Capacity()),
  });
  return static_cast<std::int32_t>(std::max<std::int64_t>(limit, 0));
}

}  // namespace

void CXml::ReadScanAnswer(CMarkup& document, std::wstring_view answer, const UpdateMatchTables& tables) {
  m_driverIds.clear();
  m_answers.clear();
  m_nonGeneric.clear();
  // Nothing of a previous answer may carry into this one.
  m_record = AnswerRecord();
  document.LoadDocument();
  document.LoadDocument(answer);
  document.ResetCursor();

  const std::int32_t validIds = ValidDeviceNumbers(tables);
  // Depth first in document order below the root: containers are only entered,
  // every element without children is one field.
  if (document.NextChild()) {
    for (;;) {
      document.EnterChild();
      if (document.NextChild()) continue;
      const std::wstring name = document.ElementName();
      document.LeaveToParent();
      HandleField(name, Trim(document.ChildText()), validIds);
      bool more = true;
      while (!document.NextChild()) {
        if (!document.LeaveToParent()) {
          more = false;
          break;
        }
      }
      if (!more) break;
    }
  }
  MatchUpdates(tables);
}

void CXml::HandleField(std::wstring_view name, std::wstring value, std::int32_t validIds) {
  AnswerRecord& r = m_record;
  if (AsciiEqualsNoCase(name, L"driverid")) {
    r.driverid = ParseDecimal(value);
    // A number that is not a device of this scan must never index a table:
    // such records are read and dropped.
    if (r.driverid >= 0 && r.driverid < validIds) m_driverIds.insert(r.driverid);
    return;
  }
  struct Field {
    const wchar_t* name;
    std::wstring AnswerRecord::*text;
  };
  static constexpr Field kFields[] = {
      {L"hardwareidentifier", &AnswerRecord::hardwareidentifier},
      {L"hardwareid", &AnswerRecord::hardwareid},
      {L"infdate", &AnswerRecord::infdate},
      {L"infpath", &AnswerRecord::infpath},
      {L"version", &AnswerRecord::version},
      {L"isSpecificCase", &AnswerRecord::isSpecificCase},
      {L"md5", &AnswerRecord::md5},
      {L"isInstall", &AnswerRecord::isInstall},
  };
  for (const Field& field : kFields) {
    if (AsciiEqualsNoCase(name, field.name)) {
      r.*field.text = std::move(value);
      return;
    }
  }
  if (AsciiEqualsNoCase(name, L"signer")) {
    r.signer = std::move(value);
    if (r.driverid >= 0 && r.driverid < validIds) m_answers.emplace(r.driverid, r);
    const std::int32_t driverid = r.driverid;
    r = AnswerRecord();
    r.driverid = driverid;
  }
}

}  // namespace velkor
