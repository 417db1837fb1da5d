#pragma once
// The update lookup object: builds the scan request from the device table and
// reads the service's answer into the update table.
//
// The tables live in the application state; the operations take them
// explicitly so that they run without it.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "inventory/classification.hpp"
#include "inventory/device_record.hpp"
#include "lookup/markup_document.hpp"

namespace velkor {

// Room for one device's candidate ID list, terminator included.
inline constexpr std::size_t kCandidateBufferUnits = 2048;

// One offered package as the answer lists it; a record is closed by its
// "signer" element.
struct AnswerRecord {
  std::int32_t driverid = -1;  // no device until the answer names one
  std::wstring hardwareidentifier;
  std::wstring hardwareid;
  std::wstring infdate;
  std::wstring infpath;
  std::wstring version;
  std::wstring isSpecificCase;
  std::wstring signer;
  std::wstring md5;
  std::wstring isInstall;
};

// What the answer is matched against, and what the match fills.
struct UpdateMatchTables {
  const RecordTable& devices;
  std::int32_t deviceCount;  // m_nDeviceCount
  const ClassificationSets& sets;
  RecordTable& updates;                   // created empty by the scan run
  std::int32_t& updateCount;              // m_nUpdateCount, increased per matched device
  std::vector<std::wstring>& updateList;  // rebuilt: "ClassDescription|Name|number", sorted
};

class CXml {
 public:
  // Replaces the document's content with the scan request for devices
  // 0 .. deviceCount - 1.
  void BuildScanRequest(const RecordTable& devices, std::int32_t deviceCount,
                        std::int32_t osVersionCode, CMarkup& document) const;

  // Reads the answer into the document and matches its records to the devices.
  // An answer that does not parse matches nothing.
  void ReadScanAnswer(CMarkup& document, std::wstring_view answer, const UpdateMatchTables& tables);

  // The second half of ReadScanAnswer: gives each device of the answer the
  // record for its most specific candidate ID.
  void MatchUpdates(const UpdateMatchTables& tables);

  // The ordered candidate IDs of a device (most specific first), as they fit
  // the candidate buffer.
  static std::vector<std::wstring> CandidateIds(const DeviceRecord& device,
                                                const ClassificationSets& sets);

 private:
  void HandleField(std::wstring_view name, std::wstring value, std::int32_t validIds);

  AnswerRecord m_record;
  std::set<std::int32_t> m_driverIds;
  std::multimap<std::int32_t, AnswerRecord> m_answers;
  std::set<std::int32_t> m_nonGeneric;
};

// "6-21-2006" -> "2006-06-21": month-day-year with "-" to year-month-day.
std::wstring ConvertDriverDate(std::wstring_view text);

// Sort order of the update list: only A to Z fold to lower case; everything
// else compares by UTF-16 code unit. Negative, zero or positive.
int CompareUpdateListTexts(std::wstring_view a, std::wstring_view b);

}  // namespace velkor
